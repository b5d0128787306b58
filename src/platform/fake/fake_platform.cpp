// The fake's areas wired to one another and behind one platform.
#include "platform/fake/fake_platform.h"

namespace gx {

FakeAreas::FakeAreas(FakeCore& core)
    : process(core),
      files(core),
      registry(core, process, files),
      security(core, registry),
      eventLog(core, files),
      cabinet(core),
      ui(core) {
    files.UseSecurity(&security);
    files.UseProcess(&process);
    registry.UseSecurity(&security);
    process.OnSleepUser([this] { ui.UserActsAt(FakeUserAction::Moment::Sleep); });
    core.onUnexpected = [this](const std::string& message) { ui.RecordFailure(message); };
}

FakePlatform::FakePlatform()
    : FakeAreas(static_cast<FakeCore&>(*this)),
      ForwardingPlatform(FakeAreas::process, FakeAreas::files, FakeAreas::registry, FakeAreas::security,
                         FakeAreas::eventLog, FakeAreas::cabinet, FakeAreas::ui) {}

FakePlatform::~FakePlatform() = default;

std::string FakePlatform::OpenHandles() const {
    return FakeAreas::registry.OpenHandles() + FakeAreas::files.OpenHandles() + FakeAreas::security.OpenHandles() +
           FakeAreas::eventLog.OpenHandles() + FakeAreas::process.OpenHandles();
}

std::string FakePlatform::DescribeState() const {
    std::string open = OpenHandles();
    return "fake Windows:\n" + FakeAreas::files.Describe() + FakeAreas::registry.Describe() +
           " open handles:" + (open.empty() ? " none\n" : "\n" + open) + FakeCore::DescribeFaults();
}

}  // namespace gx
