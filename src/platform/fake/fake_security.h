// The fake's process token, its privileges, and the security descriptors of
// registry keys.
#pragma once

#include <memory>
#include <set>
#include <string>

#include "platform/fake/fake_core.h"

namespace gx {

class FakeRegistry;
struct FakeRegNode;

class FakeSecurity final : public SecurityApi, private FakeArea {
public:
    FakeSecurity(FakeCore& core, FakeRegistry& registry);
    ~FakeSecurity() override;
    GX_SECURITY_CALLS(GX_OVERRIDE_CALL)

    // Held: SeBackupPrivilege and SeRestorePrivilege unless taken away.
    void HoldPrivilege(const std::string& name) { heldPrivileges_.insert(name); }
    void DropPrivilege(const std::string& name) { heldPrivileges_.erase(name); }
    bool IsEnabled(const std::string& privilege) const { return enabledPrivileges_.count(privilege) != 0; }
    const std::set<std::string>& EnabledPrivileges() const { return enabledPrivileges_; }
    void DisableAllPrivileges() { enabledPrivileges_.clear(); }
    int OpenTokens() const { return openTokens_; }
    // TokenElevation: 1 elevated, 0 not; -1 a Windows that does not know the
    // class (before Vista): the query fails with ERROR_INVALID_PARAMETER.
    void SetElevation(int elevated) { elevation_ = elevated; }
    int LocalAllocs() const { return localAllocs_; }

    // ---- for the other areas -----------------------------------------------
    // Closes the token; false when `handle` is no token.
    bool CloseToken(HANDLE handle);
    std::string OpenHandles() const;

private:
    struct SecurityBlock {
        std::shared_ptr<FakeRegNode> node;
        bool isAcl;
    };

    FakeRegistry& registry_;
    std::set<std::string> heldPrivileges_ = {"SeBackupPrivilege", "SeRestorePrivilege"};
    std::set<std::string> enabledPrivileges_;
    int openTokens_ = 0;
    int localAllocs_ = 0;
    std::set<SecurityBlock*> securityBlocks_;
    int tokenTag_ = 0;
    int elevation_ = 1;
    DWORD tokenAccess_ = 0;  // of the last token opened
};

}  // namespace gx
