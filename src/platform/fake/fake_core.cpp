// The call log and the failure injection the fake's areas share.
#include "platform/fake/fake_core.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <stdexcept>

namespace gx {

const char* FakeOpName(FakeOp op) {
    static const char* const kNames[] = {
#define GX_FAKE_OP(result, name, parameters, arguments) #name,
        GX_PLATFORM_CALLS(GX_FAKE_OP)
#undef GX_FAKE_OP
    };
    return kNames[static_cast<int>(op)];
}

std::string FakeHex(unsigned long value) {
    char text[24];
    std::snprintf(text, sizeof(text), "0x%lX", value);
    return text;
}

std::string FakeHexBytes(const std::string& bytes) {
    std::string out;
    char two[3];
    for (unsigned char c : bytes) {
        std::snprintf(two, sizeof(two), "%02x", c);
        out += two;
    }
    return out;
}

FakeFault& FakeCore::Fail(FakeOp op, DWORD code, int times, int skip) {
    // Refused at once: a failure the fake never checks for could only show
    // as "never fired" at the end of the test.
    if (failable_.count(op) == 0) throw std::logic_error(std::string("the fake cannot fail ") + FakeOpName(op));
    faults_.push_back(FakeFault{op, code, times, skip, {}});
    return faults_.back();
}

std::string FakeCore::UnfiredFaults() const {
    std::string text;
    for (const FakeFault& fault : faults_) {
        if (fault.fired > 0 || fault.mayNotFire) continue;
        text += std::string("injected failure of ") + FakeOpName(fault.op) + " (code " +
                std::to_string(fault.code) + ", skip " + std::to_string(fault.skip) +
                (fault.when ? ", with a condition" : "") + ") never fired\n";
    }
    return text;
}

std::string FakeCore::DescribeFaults() const {
    std::string out;
    for (const FakeFault& fault : faults_)
        out += std::string(" injected failure of ") + FakeOpName(fault.op) + " code " + std::to_string(fault.code) +
               (fault.when ? " with a condition" : "") + ", fired " + std::to_string(fault.fired) + "\n";
    return out;
}

bool FakeCore::Injected(FakeOp op, const std::vector<std::string>& args, DWORD* code) {
    if (failable_.count(op) == 0) Unexpected(std::string("an injection check of ") + FakeOpName(op) + ", not listed by its area");
    for (FakeFault& fault : faults_) {
        if (fault.op != op || fault.times == 0) continue;
        if (fault.when && !fault.when(args)) continue;
        if (fault.skip > 0) {
            --fault.skip;
            continue;
        }
        if (fault.times > 0) --fault.times;
        ++fault.fired;
        *code = fault.code;
        return true;
    }
    return false;
}

bool FakeCore::FailsNow(FakeOp op, const std::vector<std::string>& args) {
    DWORD code = 0;
    if (!Injected(op, args, &code)) return false;
    lastError_ = code;
    return true;
}

void FakeCore::Log(FakeOp op, std::vector<std::string> args) {
    // Which arguments of a logged call are file or key paths.
    static const std::map<FakeOp, std::vector<std::size_t>> kPathArguments = {
        {FakeOp::GetFileAttributesA, {0}}, {FakeOp::CreateDirectoryA, {0}}, {FakeOp::RemoveDirectoryA, {0}},
        {FakeOp::DeleteFileA, {0}},        {FakeOp::FindFirstFileA, {0}},   {FakeOp::CreateFileA, {0}},
        {FakeOp::SHFileOperationA, {0, 1}}, {FakeOp::BackupEventLogA, {1}}, {FakeOp::RegOpenKeyExA, {0}},
        {FakeOp::RegCreateKeyExA, {0}},    {FakeOp::RegSaveKeyA, {0}},      {FakeOp::RegRestoreKeyA, {0}},
        {FakeOp::SHDeleteKeyA, {0}},       {FakeOp::AppendText, {0}},
    };
    auto paths = kPathArguments.find(op);
    if (paths != kPathArguments.end())
        for (std::size_t index : paths->second)
            if (index < args.size()) NotePath(args[index]);
    calls_.push_back({op, std::move(args)});
}

std::vector<FakeCall> FakeCore::CallsOf(FakeOp op) const {
    std::vector<FakeCall> found;
    for (const FakeCall& call : calls_)
        if (call.op == op) found.push_back(call);
    return found;
}

int FakeCore::CountOf(FakeOp op) const {
    return static_cast<int>(
        std::count_if(calls_.begin(), calls_.end(), [&](const FakeCall& c) { return c.op == op; }));
}

void FakeCore::Unexpected(const std::string& operation) {
    std::string message = "fake platform: unexpected call of " + operation;
    // Inside a dialog the program's own handlers would catch this; the
    // modal loop reports it when it unwinds.
    if (onUnexpected) onUnexpected(message);
    throw std::logic_error(message);
}

}  // namespace gx
