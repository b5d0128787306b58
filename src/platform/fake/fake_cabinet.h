// The fake's cabinet library: its file work only through the callbacks it is
// given, the data stored uncompressed.
#pragma once

#include "platform/fake/fake_core.h"

namespace gx {

class FakeCabinet final : public CabinetApi, private FakeArea {
public:
    explicit FakeCabinet(FakeCore& core) : FakeArea(core) {
        core.MayFail({FakeOp::FCICreate, FakeOp::FCIFlushCabinet});
    }
    GX_CABINET_CALLS(GX_OVERRIDE_CALL)

    int OpenCabinets() const { return openCabinets_; }  // FCICreate without FCIDestroy

private:
    int openCabinets_ = 0;
};

}  // namespace gx
