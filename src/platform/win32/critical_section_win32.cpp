// Windows: the lock of the trace log is a CRITICAL_SECTION.
#include <windows.h>

#include <new>

#include "platform/platform.h"

namespace gx {

static_assert(sizeof(CRITICAL_SECTION) <= 64, "storage too small");

CriticalSection::CriticalSection() {
    ::InitializeCriticalSection(new (storage_) CRITICAL_SECTION);
}
CriticalSection::~CriticalSection() {
    ::DeleteCriticalSection(reinterpret_cast<CRITICAL_SECTION*>(storage_));
}
void CriticalSection::Enter() { ::EnterCriticalSection(reinterpret_cast<CRITICAL_SECTION*>(storage_)); }
void CriticalSection::Leave() { ::LeaveCriticalSection(reinterpret_cast<CRITICAL_SECTION*>(storage_)); }

}  // namespace gx
