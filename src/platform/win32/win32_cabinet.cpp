// The real boundary for cabinets through cabinet.dll: each call forwards to the
// Win32 call of its name.
#include <windows.h>
#include <fci.h>

#include <cstddef>

#include "platform/win32/win32_support.h"

static_assert(sizeof(::CCAB) == sizeof(gx::CCAB), "cabinet record");
static_assert(offsetof(::CCAB, szCabPath) == offsetof(gx::CCAB, szCabPath), "cabinet record layout");
static_assert(sizeof(::ERF) == sizeof(gx::ERF), "cabinet error record");

namespace gx {
namespace {

class Win32Cabinet final : public CabinetApi {
public:
    HFCI FCICreate(ERF* erf, PFNFCIFILEPLACED filePlaced, PFNFCIALLOC alloc, PFNFCIFREE free,
                   PFNFCIOPEN open, PFNFCIREAD read, PFNFCIWRITE write, PFNFCICLOSE close,
                   PFNFCISEEK seek, PFNFCIDELETE remove, PFNFCIGETTEMPFILE tempFile, CCAB* ccab,
                   void* pv) override {
        return as<HFCI>(::FCICreate(as<::PERF>(erf), as<::PFNFCIFILEPLACED>(filePlaced),
                                    as<::PFNFCIALLOC>(alloc), as<::PFNFCIFREE>(free),
                                    as<::PFNFCIOPEN>(open), as<::PFNFCIREAD>(read),
                                    as<::PFNFCIWRITE>(write), as<::PFNFCICLOSE>(close),
                                    as<::PFNFCISEEK>(seek), as<::PFNFCIDELETE>(remove),
                                    as<::PFNFCIGETTEMPFILE>(tempFile), as<::PCCAB>(ccab), pv));
    }
    BOOL FCIAddFile(HFCI fci, char* sourceFile, char* nameInCabinet, BOOL execute,
                    PFNFCIGETNEXTCABINET nextCabinet, PFNFCISTATUS status, PFNFCIGETOPENINFO openInfo,
                    TCOMP compression) override {
        return ::FCIAddFile(as<::HFCI>(fci), sourceFile, nameInCabinet, execute,
                            as<::PFNFCIGETNEXTCABINET>(nextCabinet), as<::PFNFCISTATUS>(status),
                            as<::PFNFCIGETOPENINFO>(openInfo), compression);
    }
    BOOL FCIFlushCabinet(HFCI fci, BOOL getNextCabinet, PFNFCIGETNEXTCABINET nextCabinet,
                         PFNFCISTATUS status) override {
        return ::FCIFlushCabinet(as<::HFCI>(fci), getNextCabinet, as<::PFNFCIGETNEXTCABINET>(nextCabinet),
                                 as<::PFNFCISTATUS>(status));
    }
    BOOL FCIDestroy(HFCI fci) override { return ::FCIDestroy(as<::HFCI>(fci)); }
};

}  // namespace

CabinetApi& Win32CabinetApi() {
    static Win32Cabinet* const instance = new Win32Cabinet();
    return *instance;
}

}  // namespace gx
