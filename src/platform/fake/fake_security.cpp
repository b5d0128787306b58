// The fake's process token and privileges, and the security descriptors of
// the registry keys they guard.
#include <cstdint>
#include <cstdio>

#include "platform/fake/fake_registry.h"
#include "platform/fake/fake_security.h"

namespace gx {

namespace {

constexpr DWORD kLuidBackup = 17;
constexpr DWORD kLuidRestore = 18;
constexpr DWORD kLuidCreateToken = 2;

}  // namespace

FakeSecurity::FakeSecurity(FakeCore& core, FakeRegistry& registry) : FakeArea(core), registry_(registry) {
    core.MayFail({FakeOp::OpenProcessToken, FakeOp::LookupPrivilegeValueA, FakeOp::AdjustTokenPrivileges,
                  FakeOp::GetSecurityInfo, FakeOp::SetEntriesInAclA, FakeOp::SetSecurityInfo,
                  FakeOp::GetTokenInformation});
}

FakeSecurity::~FakeSecurity() {
    for (SecurityBlock* block : securityBlocks_) delete block;
}

bool FakeSecurity::CloseToken(HANDLE handle) {
    if (handle != &tokenTag_) return false;
    --openTokens_;
    return true;
}

std::string FakeSecurity::OpenHandles() const {
    std::string text;
    if (openTokens_ > 0) text += std::to_string(openTokens_) + " token(s)\n";
    for (const SecurityBlock* block : securityBlocks_)
        text += std::string(block->isAcl ? "ACL" : "security descriptor") + " of " + block->node->name + "\n";
    return text;
}

HANDLE FakeSecurity::GetCurrentProcess() {
    Log(FakeOp::GetCurrentProcess);
    return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-1));
}

BOOL FakeSecurity::OpenProcessToken(HANDLE, DWORD access, HANDLE* token) {
    char meta[16];
    std::snprintf(meta, sizeof(meta), "0x%X", access);
    Log(FakeOp::OpenProcessToken, {meta});
    DWORD code = 0;
    if (Injected(FakeOp::OpenProcessToken, LastArgs(), &code)) {
        SetError(code);
        *token = nullptr;
        return FALSE;
    }
    ++openTokens_;
    tokenAccess_ = access;
    *token = &tokenTag_;
    return TRUE;
}

BOOL FakeSecurity::LookupPrivilegeValueA(const char* system, const char* name, LUID* luid) {
    Log(FakeOp::LookupPrivilegeValueA, {system == nullptr ? "local" : system, name});
    if (FailsNow(FakeOp::LookupPrivilegeValueA, LastArgs())) return FALSE;
    std::string privilege(name);
    DWORD value = privilege == "SeBackupPrivilege"        ? kLuidBackup
                  : privilege == "SeRestorePrivilege"     ? kLuidRestore
                  : privilege == "SeCreateTokenPrivilege" ? kLuidCreateToken
                                                          : 0;
    if (value == 0) {
        SetError(ERROR_NO_SUCH_PRIVILEGE);
        return FALSE;
    }
    luid->LowPart = value;
    luid->HighPart = 0;
    return TRUE;
}

BOOL FakeSecurity::AdjustTokenPrivileges(HANDLE token, BOOL disableAll, TOKEN_PRIVILEGES* state,
                                         DWORD length, TOKEN_PRIVILEGES*, DWORD*) {
    std::vector<std::string> args = {std::to_string(disableAll), std::to_string(length)};
    if (state != nullptr && state->PrivilegeCount > 0) {
        args.push_back(std::to_string(state->Privileges[0].Luid.LowPart));
        args.push_back(std::to_string(state->Privileges[0].Attributes));
    }
    Log(FakeOp::AdjustTokenPrivileges, args);
    if (token != &tokenTag_) {
        SetError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if ((tokenAccess_ & TOKEN_ADJUST_PRIVILEGES) == 0) {
        SetError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    // ERROR_NOT_ALL_ASSIGNED comes with success, as Windows reports it.
    if (FailsNow(FakeOp::AdjustTokenPrivileges, LastArgs())) return core_.LastError() == ERROR_NOT_ALL_ASSIGNED ? TRUE : FALSE;
    bool allAssigned = true;
    for (DWORD i = 0; state != nullptr && i < state->PrivilegeCount; ++i) {
        DWORD luid = state->Privileges[i].Luid.LowPart;
        std::string name = luid == kLuidBackup ? "SeBackupPrivilege" : luid == kLuidRestore ? "SeRestorePrivilege" : "";
        if (name.empty() || heldPrivileges_.count(name) == 0) {
            allAssigned = false;
            continue;
        }
        if ((state->Privileges[i].Attributes & SE_PRIVILEGE_ENABLED) != 0) enabledPrivileges_.insert(name);
        else enabledPrivileges_.erase(name);
    }
    SetError(allAssigned ? 0 : ERROR_NOT_ALL_ASSIGNED);
    return TRUE;
}

DWORD FakeSecurity::GetSecurityInfo(HANDLE object, int objectType, DWORD info, PSID*, PSID*,
                                    PACL* dacl, PACL*, PSECURITY_DESCRIPTOR* descriptor) {
    REGSAM access = 0;
    std::shared_ptr<FakeRegNode> node = registry_.OpenKey(static_cast<HKEY>(object), &access);
    Log(FakeOp::GetSecurityInfo, {node != nullptr ? node->name : "?", std::to_string(objectType), std::to_string(info)});
    if (node == nullptr) return ERROR_INVALID_HANDLE;
    DWORD code = 0;
    if (Injected(FakeOp::GetSecurityInfo, LastArgs(), &code)) return code;
    auto* block = new SecurityBlock{node, false};
    securityBlocks_.insert(block);
    ++localAllocs_;
    *descriptor = block;
    if (dacl != nullptr) *dacl = block;  // the DACL lives inside the descriptor
    return 0;
}

DWORD FakeSecurity::SetEntriesInAclA(UINT count, EXPLICIT_ACCESS_A* entries, PACL oldAcl, PACL* newAcl) {
    std::vector<std::string> args = {std::to_string(count)};
    if (count > 0) {
        char meta[128];
        std::snprintf(meta, sizeof(meta), "0x%X mode=%d inherit=%u form=%d type=%d name=%s",
                      entries[0].grfAccessPermissions, entries[0].grfAccessMode, entries[0].grfInheritance,
                      entries[0].Trustee.TrusteeForm, entries[0].Trustee.TrusteeType,
                      entries[0].Trustee.ptstrName != nullptr ? entries[0].Trustee.ptstrName : "");
        args.push_back(meta);
    }
    Log(FakeOp::SetEntriesInAclA, args);
    DWORD code = 0;
    if (Injected(FakeOp::SetEntriesInAclA, LastArgs(), &code)) return code;
    auto* old = static_cast<SecurityBlock*>(oldAcl);
    if (securityBlocks_.count(old) == 0) return ERROR_INVALID_PARAMETER;
    auto* block = new SecurityBlock{old->node, true};
    securityBlocks_.insert(block);
    ++localAllocs_;
    *newAcl = block;
    return 0;
}

DWORD FakeSecurity::SetSecurityInfo(HANDLE object, int objectType, DWORD info, PSID, PSID, PACL dacl, PACL) {
    REGSAM access = 0;
    std::shared_ptr<FakeRegNode> node = registry_.OpenKey(static_cast<HKEY>(object), &access);
    Log(FakeOp::SetSecurityInfo, {node != nullptr ? node->name : "?", std::to_string(objectType), std::to_string(info)});
    if (node == nullptr) return ERROR_INVALID_HANDLE;
    DWORD code = 0;
    if (Injected(FakeOp::SetSecurityInfo, LastArgs(), &code)) return code;
    // As Windows and Wine: a DACL is written through WRITE_DAC.
    if ((access & WRITE_DAC) == 0) return ERROR_ACCESS_DENIED;
    auto* block = static_cast<SecurityBlock*>(dacl);
    if (securityBlocks_.count(block) == 0 || !block->isAcl) return ERROR_INVALID_PARAMETER;
    node->grants += 1;
    node->deleteDenied = false;
    node->ownerOnly = false;
    return 0;
}

void* FakeSecurity::LocalFree(void* memory) {
    Log(FakeOp::LocalFree);
    auto* block = static_cast<SecurityBlock*>(memory);
    if (securityBlocks_.erase(block) == 0) return memory;  // not ours: failure
    delete block;
    --localAllocs_;
    return nullptr;
}

BOOL FakeSecurity::GetTokenInformation(HANDLE token, int infoClass, void* info, DWORD length, DWORD* returnLength) {
    Log(FakeOp::GetTokenInformation, {std::to_string(infoClass), std::to_string(length)});
    if (token != &tokenTag_) {
        SetError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (FailsNow(FakeOp::GetTokenInformation, LastArgs())) return FALSE;
    if (infoClass != TokenElevation || elevation_ < 0) {
        SetError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *returnLength = sizeof(TOKEN_ELEVATION);
    if (length < sizeof(TOKEN_ELEVATION)) {
        SetError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    static_cast<TOKEN_ELEVATION*>(info)->TokenIsElevated = static_cast<DWORD>(elevation_);
    return TRUE;
}

}  // namespace gx
