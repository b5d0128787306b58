// Cabinets (cabinet.dll). The library does its file work through the
// callbacks it is given.
// One entry a call: X(result, name, (parameters), (arguments)).
#pragma once

#include <cstddef>

#include "platform/calls.h"
#include "platform/types.h"

#define GX_CABINET_CALLS(X)                                                                        \
    /* The library does its file work through the callbacks it is given. It is loaded when first   \
       needed; when it cannot be, FCICreate fails with erfOper FCIERR_NONE and erfType the         \
       loader's error. */                                                                          \
    X(HFCI, FCICreate, (ERF* erf, PFNFCIFILEPLACED filePlaced, PFNFCIALLOC alloc, PFNFCIFREE free, \
      PFNFCIOPEN open, PFNFCIREAD read, PFNFCIWRITE write, PFNFCICLOSE close, PFNFCISEEK seek,     \
      PFNFCIDELETE remove, PFNFCIGETTEMPFILE tempFile, CCAB* ccab, void* pv),                      \
      (erf, filePlaced, alloc, free, open, read, write, close, seek, remove, tempFile, ccab, pv))  \
    X(BOOL, FCIAddFile, (HFCI fci, char* sourceFile, char* nameInCabinet, BOOL execute,            \
      PFNFCIGETNEXTCABINET nextCabinet, PFNFCISTATUS status, PFNFCIGETOPENINFO openInfo,           \
      TCOMP compression),                                                                          \
      (fci, sourceFile, nameInCabinet, execute, nextCabinet, status, openInfo, compression))       \
    X(BOOL, FCIFlushCabinet, (HFCI fci, BOOL getNextCabinet, PFNFCIGETNEXTCABINET nextCabinet,     \
      PFNFCISTATUS status),                                                                        \
      (fci, getNextCabinet, nextCabinet, status))                                                  \
    X(BOOL, FCIDestroy, (HFCI fci), (fci))                                                         \

namespace gx {

class CabinetApi {
public:
    virtual ~CabinetApi() = default;
    GX_CABINET_CALLS(GX_DECLARE_CALL)
};

}  // namespace gx
