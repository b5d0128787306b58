// What the areas of the fake share: the call log, the injected failures, the
// last-error value and the longest path any call received.
#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <initializer_list>
#include <set>
#include <string>
#include <vector>

#include "platform/constants.h"
#include "platform/platform.h"

namespace gx {

// Every operation of the boundary, named as its member.
enum class FakeOp {
#define GX_FAKE_OP(result, name, parameters, arguments) name,
    GX_PLATFORM_CALLS(GX_FAKE_OP)
#undef GX_FAKE_OP
};
const char* FakeOpName(FakeOp op);

// One requested failure. Calls that its condition does not select neither
// fire it nor count against `skip`.
struct FakeFault {
    using Condition = std::function<bool(const std::vector<std::string>& args)>;
    FakeOp op;
    DWORD code;
    int times;  // how many calls fail; -1: every later one
    int skip;   // selected calls that pass first
    Condition when;  // on the call's arguments as the call log shows them
    bool mayNotFire = false;
    int fired = 0;

    FakeFault& When(Condition condition) {
        when = std::move(condition);
        return *this;
    }
    // Only calls whose argument `index` (as logged) is `text`.
    FakeFault& WhenArg(std::size_t index, const std::string& text) {
        return When([index, text](const std::vector<std::string>& args) {
            return index < args.size() && args[index] == text;
        });
    }
    // The test does not require the failure to happen.
    FakeFault& MayNotFire() {
        mayNotFire = true;
        return *this;
    }
};

// One call as the log has it; every operation writes its arguments one way
// (paths as given, flags in hex, counts in decimal).
struct FakeCall {
    FakeOp op;
    std::vector<std::string> args;
};

// Text forms the operations log their arguments in.
std::string FakeHex(unsigned long value);
// Bytes as lower-case hex digits, two a byte, as the fake's hive files hold them.
std::string FakeHexBytes(const std::string& bytes);

class FakeCore {
public:
    // ---- for tests -------------------------------------------------------
    // The next `times` calls of `op` (all later ones for -1), after letting
    // `skip` pass, fail as the real call fails: a BOOL or handle result with
    // `code` as the last error, a LONG or DWORD result of `code`. The fixtures
    // fail a test whose injection never fired (see UnfiredFaults). An
    // operation the fake cannot fail is refused at once (std::logic_error).
    FakeFault& Fail(FakeOp op, DWORD code, int times = -1, int skip = 0);
    // The injections that never fired and may not stay silent, one a line.
    std::string UnfiredFaults() const;
    std::string DescribeFaults() const;
    void ClearFaults() { faults_.clear(); }
    const std::vector<FakeCall>& Calls() const { return calls_; }
    std::vector<FakeCall> CallsOf(FakeOp op) const;
    int CountOf(FakeOp op) const;
    void ClearCalls() { calls_.clear(); }
    // The longest file or key path any call received (the trace and setup
    // logs included), so tests can check the path limit held.
    std::size_t LongestPath() const { return longestPath_; }
    void ResetLongestPath() { longestPath_ = 0; }

    // ---- for the areas ---------------------------------------------------
    // The operations whose failures an area models; every other one always
    // succeeds or fails only from its arguments and the fake's state.
    void MayFail(std::initializer_list<FakeOp> ops) { failable_.insert(ops); }
    void Log(FakeOp op, std::vector<std::string> args = {});
    // An injected failure of this call of `op`; `args` as the call log has them.
    bool Injected(FakeOp op, const std::vector<std::string>& args, DWORD* code);
    // The same, with its code as the last error.
    bool FailsNow(FakeOp op, const std::vector<std::string>& args);
    // The arguments of the call just logged.
    const std::vector<std::string>& LastArgs() const { return calls_.back().args; }
    DWORD LastError() const { return lastError_; }
    void SetError(DWORD code) { lastError_ = code; }
    void NotePath(const std::string& path) {
        if (path.size() > longestPath_) longestPath_ = path.size();
    }
    // A call the fake does not model: recorded for the running modal loop
    // (onUnexpected) and thrown.
    [[noreturn]] void Unexpected(const std::string& operation);
    std::function<void(const std::string& message)> onUnexpected;

private:
    std::vector<FakeCall> calls_;
    std::deque<FakeFault> faults_;  // a deque: Fail hands out references
    std::set<FakeOp> failable_;
    DWORD lastError_ = 0;
    std::size_t longestPath_ = 0;
};

// The base of each area: the shared core under short names.
class FakeArea {
protected:
    explicit FakeArea(FakeCore& core) : core_(core) {}
    void Log(FakeOp op, std::vector<std::string> args = {}) { core_.Log(op, std::move(args)); }
    bool Injected(FakeOp op, const std::vector<std::string>& args, DWORD* code) {
        return core_.Injected(op, args, code);
    }
    bool FailsNow(FakeOp op, const std::vector<std::string>& args) { return core_.FailsNow(op, args); }
    const std::vector<std::string>& LastArgs() const { return core_.LastArgs(); }
    void SetError(DWORD code) { core_.SetError(code); }
    [[noreturn]] void Unexpected(const std::string& operation) { core_.Unexpected(operation); }
    void NotePath(const std::string& path) { core_.NotePath(path); }

    FakeCore& core_;
};

}  // namespace gx
