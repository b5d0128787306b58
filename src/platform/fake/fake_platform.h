// A small Windows for tests: one object per area of the boundary, behind one
// platform. Files live in a real temporary folder that stands in for the
// drives; the registry, tokens, event logs, version records and windows are
// kept in memory. Tests seed and inspect each area through its named
// methods, make calls fail through Fail, and read the call log by operation.
#pragma once

#include <string>

#include "platform/fake/fake_cabinet.h"
#include "platform/fake/fake_core.h"
#include "platform/fake/fake_event_log.h"
#include "platform/fake/fake_files.h"
#include "platform/fake/fake_process.h"
#include "platform/fake/fake_registry.h"
#include "platform/fake/fake_security.h"
#include "platform/fake/fake_ui.h"
#include "platform/forwarding.h"

namespace gx {

// The areas are built before the platform that forwards to them.
struct FakeAreas {
    explicit FakeAreas(FakeCore& core);
    FakeProcess process;
    FakeFiles files;
    FakeRegistry registry;
    FakeSecurity security;
    FakeEventLog eventLog;
    FakeCabinet cabinet;
    FakeUi ui;
};

class FakePlatform : private FakeCore, private FakeAreas, public ForwardingPlatform {
public:
    FakePlatform();
    ~FakePlatform() override;

    FakeProcess& process() { return FakeAreas::process; }
    FakeFiles& files() { return FakeAreas::files; }
    const FakeFiles& files() const { return FakeAreas::files; }
    FakeRegistry& registry() { return FakeAreas::registry; }
    FakeSecurity& security() { return FakeAreas::security; }
    FakeEventLog& eventLog() { return FakeAreas::eventLog; }
    FakeCabinet& cabinet() { return FakeAreas::cabinet; }
    FakeUi& ui() { return FakeAreas::ui; }

    // Failure injection and the call log.
    using FakeCore::Calls;
    using FakeCore::CallsOf;
    using FakeCore::ClearCalls;
    using FakeCore::ClearFaults;
    using FakeCore::CountOf;
    using FakeCore::Fail;
    using FakeCore::LongestPath;
    using FakeCore::ResetLongestPath;
    using FakeCore::UnfiredFaults;

    // What is still open (keys, searches, files, tokens, event logs, security
    // memory), one a line; empty when everything was closed.
    std::string OpenHandles() const;
    // The small Windows as a test failure shows it: files, keys, locked and
    // protected paths, open handles, injected failures.
    std::string DescribeState() const;

protected:
    // For a test's own version of a call, logged like the fake's.
    using FakeCore::Log;
};

}  // namespace gx
