// Constants that cannot be checked at compile time: the predefined keys and
// the invalid handle. Captured before <windows.h> turns the names into macros.
#include <gtest/gtest.h>

#include <cstdint>

#include "platform/constants.h"

namespace {
const std::uintptr_t kOurs[] = {
    reinterpret_cast<std::uintptr_t>(gx::HKEY_LOCAL_MACHINE),
    reinterpret_cast<std::uintptr_t>(gx::HKEY_CURRENT_USER),
    reinterpret_cast<std::uintptr_t>(gx::HKEY_CLASSES_ROOT),
    reinterpret_cast<std::uintptr_t>(gx::INVALID_HANDLE_VALUE),
};
}  // namespace

#include <windows.h>

TEST(Constants, PredefinedKeysAndInvalidHandleMatchWindows) {
    EXPECT_EQ(kOurs[0], reinterpret_cast<std::uintptr_t>(HKEY_LOCAL_MACHINE));
    EXPECT_EQ(kOurs[1], reinterpret_cast<std::uintptr_t>(HKEY_CURRENT_USER));
    EXPECT_EQ(kOurs[2], reinterpret_cast<std::uintptr_t>(HKEY_CLASSES_ROOT));
    EXPECT_EQ(kOurs[3], reinterpret_cast<std::uintptr_t>(INVALID_HANDLE_VALUE));
}
