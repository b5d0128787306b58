// The fake's registry below HKEY_LOCAL_MACHINE, with volatile keys, keys
// whose DACL refuses access, and hive files in a text format of its own.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/fake/fake_core.h"

namespace gx {

class FakeFiles;
class FakeProcess;
class FakeSecurity;

struct FakeRegValue {
    DWORD type = REG_SZ;
    std::string data;  // raw bytes as stored; REG_SZ data need not end in NUL
};

struct FakeRegNode {
    std::string name;
    std::map<std::string, FakeRegValue> values;                   // by lower-case name
    std::map<std::string, std::shared_ptr<FakeRegNode>> children;  // by lower-case name
    std::vector<std::string> childOrder;  // lower-case names in enumeration order
    bool isVolatile = false;
    bool deleted = false;
    bool openDenied = false;    // every open fails with ERROR_ACCESS_DENIED
    bool deleteDenied = false;  // opens for DELETE and deletion refused until access was granted
    bool writeDacDenied = false;  // opens for WRITE_DAC refused: the DACL cannot be changed
    bool ownerOnly = false;       // empty DACL, owned by us: only READ_CONTROL and WRITE_DAC open
                                  // (reading and deleting refused) until access was granted
    int grants = 0;             // access entries written by SetSecurityInfo
};

class FakeRegistry final : public RegistryApi, private FakeArea {
public:
    FakeRegistry(FakeCore& core, const FakeProcess& process, FakeFiles& files);
    ~FakeRegistry() override;
    GX_REGISTRY_CALLS(GX_OVERRIDE_CALL)

    // ---- seeding and inspection (paths below HKLM) ---------------------------
    // The key as it stands, for reading; null when missing.
    std::shared_ptr<const FakeRegNode> FindKey(const std::string& path) const;
    void MakeKey(const std::string& path, bool isVolatile = false);
    void SetValue(const std::string& keyPath, const std::string& name, DWORD type,
                  const std::string& bytes);
    void SetString(const std::string& keyPath, const std::string& name, const std::string& text) {
        SetValue(keyPath, name, REG_SZ, text + std::string(1, '\0'));
    }
    // Removes a key with its subtree, as if the machine never had it.
    void RemoveKey(const std::string& path);
    // What the key's DACL refuses; each makes the key first when missing.
    void DenyOpen(const std::string& path);    // every open: ERROR_ACCESS_DENIED
    void DenyDelete(const std::string& path);  // DELETE, until access was granted
    void FixDacl(const std::string& path);     // WRITE_DAC: the DACL cannot be changed
    void OwnerOnly(const std::string& path);   // empty DACL owned by us: only READ_CONTROL and
                                               // WRITE_DAC, until access was granted
    // Refuses the registry view flags (Windows 2000).
    void RefuseViewFlags() { refusesViewFlags_ = true; }
    int OpenKeys() const { return openKeys_; }
    int PeakOpenKeys() const { return peakOpenKeys_; }  // most keys open at one time
    void ResetPeakOpenKeys() { peakOpenKeys_ = openKeys_; }

    // ---- for the other areas -----------------------------------------------
    void UseSecurity(const FakeSecurity* security) { security_ = security; }
    // The open key `key` names, with the access it was opened for; null for
    // anything else.
    std::shared_ptr<FakeRegNode> OpenKey(HKEY key, REGSAM* access);
    std::string OpenHandles() const;
    std::string Describe() const;

private:
    struct KeyHandle {
        std::shared_ptr<FakeRegNode> node;
        REGSAM access;
        std::string path;     // below HKLM, as the keys are named
        bool view32 = false;  // opened in the 32-bit view of 64-bit Windows
    };
    // Where `root` and `subKey` lead in the view that `access` asks for (a
    // relative open keeps its parent's view): the node to walk from and the
    // path below it; a refusal's status, else 0.
    LONG Resolve(HKEY root, const char* subKey, REGSAM access, std::shared_ptr<FakeRegNode>* base,
                 std::string* path, std::string* basePath, bool* view32);
    // The parent of the key to delete and the key's lower-case name.
    LONG ParentForDeletion(HKEY root, const char* subKey, REGSAM access, std::shared_ptr<FakeRegNode>* parent,
                           std::string* lowerName);
    std::string NamedPath(const std::shared_ptr<FakeRegNode>& from, const std::string& fromPath,
                          const std::string& path) const;

    KeyHandle* Key(HKEY key);
    // A handle on `node` for `access`, unless the key's DACL refuses it.
    LONG NewKeyHandle(const std::shared_ptr<FakeRegNode>& node, REGSAM access, HKEY* result,
                      const std::string& path = std::string(), bool view32 = false);
    std::shared_ptr<FakeRegNode> Walk(const std::shared_ptr<FakeRegNode>& from,
                                      const std::string& path, bool create, bool isVolatile,
                                      LONG* status, bool* created);
    std::shared_ptr<FakeRegNode> Base(HKEY root);
    std::shared_ptr<FakeRegNode> Made(const std::string& path, bool isVolatile = false);

    const FakeProcess& process_;
    FakeFiles& files_;
    const FakeSecurity* security_ = nullptr;
    std::shared_ptr<FakeRegNode> hklm_;
    bool refusesViewFlags_ = false;
    int openKeys_ = 0;
    int peakOpenKeys_ = 0;
    std::set<KeyHandle*> keys_;
};

}  // namespace gx
