// Hosts without Win32: the lock of the trace log as a recursive mutex.
#include <mutex>
#include <new>

#include "platform/platform.h"

namespace gx {

static_assert(sizeof(std::recursive_mutex) <= 64, "storage too small");

CriticalSection::CriticalSection() { new (storage_) std::recursive_mutex(); }
CriticalSection::~CriticalSection() {
    std::launder(reinterpret_cast<std::recursive_mutex*>(storage_))->~recursive_mutex();
}
void CriticalSection::Enter() { std::launder(reinterpret_cast<std::recursive_mutex*>(storage_))->lock(); }
void CriticalSection::Leave() { std::launder(reinterpret_cast<std::recursive_mutex*>(storage_))->unlock(); }

}  // namespace gx
