// Constants that cannot be checked at compile time: the predefined keys and
// the invalid handle. Captured before <windows.h> turns the names into macros.
#include <gtest/gtest.h>

#include <cstdint>

#include "platform/constants.h"

namespace {
struct Captured {
    const char* name;
    std::uintptr_t value;
};
const Captured kOurs[] = {
#define GX_CONSTANT(type, name, value)
#define GX_HANDLE(type, name, value) {#name, reinterpret_cast<std::uintptr_t>(gx::name)},
#include "platform/constant_list.h"
#undef GX_CONSTANT
#undef GX_HANDLE
};
}  // namespace

#include <windows.h>

TEST(Constants, PredefinedKeysAndInvalidHandleMatchWindows) {
    const std::uintptr_t windows[] = {
#define GX_CONSTANT(type, name, value)
#define GX_HANDLE(type, name, value) reinterpret_cast<std::uintptr_t>(name),
#include "platform/constant_list.h"
#undef GX_CONSTANT
#undef GX_HANDLE
    };
    ASSERT_EQ(sizeof(kOurs) / sizeof(kOurs[0]), 4u);
    for (std::size_t i = 0; i < sizeof(kOurs) / sizeof(kOurs[0]); ++i) EXPECT_EQ(kOurs[i].value, windows[i]) << kOurs[i].name;
}
