// The real boundary for cabinets through cabinet.dll: each call forwards to the
// Win32 call of its name. The library is no one Windows always takes from the
// system folder: it is loaded from there by full path when first needed.
#include <windows.h>
#include <fci.h>

#include <cstddef>

#include "platform/win32/system_library.h"
#include "platform/win32/win32_support.h"

static_assert(sizeof(::CCAB) == sizeof(gx::CCAB), "cabinet record");
static_assert(offsetof(::CCAB, szCabPath) == offsetof(gx::CCAB, szCabPath), "cabinet record layout");
static_assert(sizeof(::ERF) == sizeof(gx::ERF), "cabinet error record");

namespace gx {
namespace {

struct CabinetCalls {
    decltype(&::FCICreate) create = nullptr;
    decltype(&::FCIAddFile) add = nullptr;
    decltype(&::FCIFlushCabinet) flush = nullptr;
    decltype(&::FCIDestroy) destroy = nullptr;
    DWORD error = 0;  // why they are missing
};

const CabinetCalls& Cabinet() {
    static CabinetCalls calls = [] {
        static win32::SystemLibrary library("cabinet.dll");
        CabinetCalls found;
        found.create = library.Find<decltype(&::FCICreate)>("FCICreate");
        found.add = library.Find<decltype(&::FCIAddFile)>("FCIAddFile");
        found.flush = library.Find<decltype(&::FCIFlushCabinet)>("FCIFlushCabinet");
        found.destroy = library.Find<decltype(&::FCIDestroy)>("FCIDestroy");
        if (!found.create || !found.add || !found.flush || !found.destroy) {
            found.error = library.Error();
            found.create = nullptr;
        }
        return found;
    }();
    return calls;
}

class Win32Cabinet final : public CabinetApi {
public:
    HFCI FCICreate(ERF* erf, PFNFCIFILEPLACED filePlaced, PFNFCIALLOC alloc, PFNFCIFREE free,
                   PFNFCIOPEN open, PFNFCIREAD read, PFNFCIWRITE write, PFNFCICLOSE close,
                   PFNFCISEEK seek, PFNFCIDELETE remove, PFNFCIGETTEMPFILE tempFile, CCAB* ccab,
                   void* pv) override {
        const CabinetCalls& cabinet = Cabinet();
        if (cabinet.create == nullptr) {
            *erf = {};
            erf->erfOper = FCIERR_NONE;
            erf->erfType = static_cast<int>(cabinet.error);
            erf->fError = TRUE;
            return nullptr;
        }
        return as<HFCI>(cabinet.create(as<::PERF>(erf), as<::PFNFCIFILEPLACED>(filePlaced),
                                    as<::PFNFCIALLOC>(alloc), as<::PFNFCIFREE>(free),
                                    as<::PFNFCIOPEN>(open), as<::PFNFCIREAD>(read),
                                    as<::PFNFCIWRITE>(write), as<::PFNFCICLOSE>(close),
                                    as<::PFNFCISEEK>(seek), as<::PFNFCIDELETE>(remove),
                                    as<::PFNFCIGETTEMPFILE>(tempFile), as<::PCCAB>(ccab), pv));
    }
    BOOL FCIAddFile(HFCI fci, char* sourceFile, char* nameInCabinet, BOOL execute,
                    PFNFCIGETNEXTCABINET nextCabinet, PFNFCISTATUS status, PFNFCIGETOPENINFO openInfo,
                    TCOMP compression) override {
        return Cabinet().add(as<::HFCI>(fci), sourceFile, nameInCabinet, execute,
                            as<::PFNFCIGETNEXTCABINET>(nextCabinet), as<::PFNFCISTATUS>(status),
                            as<::PFNFCIGETOPENINFO>(openInfo), compression);
    }
    BOOL FCIFlushCabinet(HFCI fci, BOOL getNextCabinet, PFNFCIGETNEXTCABINET nextCabinet,
                         PFNFCISTATUS status) override {
        return Cabinet().flush(as<::HFCI>(fci), getNextCabinet, as<::PFNFCIGETNEXTCABINET>(nextCabinet),
                                 as<::PFNFCISTATUS>(status));
    }
    BOOL FCIDestroy(HFCI fci) override { return Cabinet().destroy(as<::HFCI>(fci)); }
};

}  // namespace

CabinetApi& Win32CabinetApi() {
    static Win32Cabinet* const instance = new Win32Cabinet();
    return *instance;
}

}  // namespace gx
