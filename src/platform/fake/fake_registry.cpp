// The fake's registry below HKEY_LOCAL_MACHINE, with volatile keys, refused
// keys, hive files in a text format of its own, and the token and security
// calls that guard them.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/fake/fake_platform.h"
#include "platform/fake/fake_text.h"

namespace fs = std::filesystem;

namespace gx {

namespace {

constexpr DWORD kLuidBackup = 17;
constexpr DWORD kLuidRestore = 18;
constexpr DWORD kLuidCreateToken = 2;

std::vector<std::string> SplitKey(const std::string& path) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : path) {
        if (c == '\\') {
            if (!part.empty()) parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    if (!part.empty()) parts.push_back(part);
    return parts;
}

std::string Hex(const std::string& bytes) {
    std::string out;
    char two[3];
    for (unsigned char c : bytes) {
        std::snprintf(two, sizeof(two), "%02x", c);
        out += two;
    }
    return out;
}

std::string Unhex(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i + 1 < text.size(); i += 2)
        out += static_cast<char>(std::stoi(text.substr(i, 2), nullptr, 16));
    return out;
}

void Dump(const FakeRegNode& node, const std::string& path, std::ostream& out) {
    out << "key " << Hex(path) << "\n";
    for (const auto& value : node.values)
        out << "value " << Hex(value.first) << " " << value.second.type << " " << Hex(value.second.data) << "\n";
    for (const std::string& child : node.childOrder) {
        const auto& sub = node.children.at(child);
        Dump(*sub, path.empty() ? sub->name : path + "\\" + sub->name, out);
    }
}

void MarkDeleted(FakeRegNode& node) {
    node.deleted = true;
    for (auto& child : node.children) MarkDeleted(*child.second);
}

void Detach(FakeRegNode& parent, const std::string& lowerName) {
    auto it = parent.children.find(lowerName);
    if (it == parent.children.end()) return;
    MarkDeleted(*it->second);
    parent.children.erase(it);
    parent.childOrder.erase(std::remove(parent.childOrder.begin(), parent.childOrder.end(), lowerName),
                            parent.childOrder.end());
}

// What the key's DACL refuses to the opener.
bool RefusedAccess(const FakeRegNode& node, REGSAM access) {
    return node.openDenied || (node.deleteDenied && (access & DELETE) != 0) ||
           (node.writeDacDenied && (access & WRITE_DAC) != 0) ||
           (node.ownerOnly && (access & ~(READ_CONTROL | WRITE_DAC)) != 0);
}

// As the shell does it: subkeys first, always the first one left, and the
// first refusal ends the walk with what was deleted so far gone.
LONG DeleteTree(FakeRegNode& parent, const std::string& lowerName) {
    std::shared_ptr<FakeRegNode> node = parent.children.at(lowerName);
    if (RefusedAccess(*node, KEY_READ)) return static_cast<LONG>(ERROR_ACCESS_DENIED);
    while (!node->childOrder.empty()) {
        LONG status = DeleteTree(*node, node->childOrder.front());
        if (status != 0) return status;
    }
    if (node->deleteDenied) return static_cast<LONG>(ERROR_ACCESS_DENIED);
    Detach(parent, lowerName);
    return 0;
}

}  // namespace

std::shared_ptr<FakeRegNode> FakePlatform::Walk(const std::shared_ptr<FakeRegNode>& from,
                                                const std::string& path, bool create,
                                                bool isVolatile, LONG* status, bool* created) {
    std::shared_ptr<FakeRegNode> node = from;
    if (created != nullptr) *created = false;
    for (const std::string& part : SplitKey(path)) {
        if (node->openDenied) {
            *status = static_cast<LONG>(ERROR_ACCESS_DENIED);
            return nullptr;
        }
        std::string key = Lower(part);
        auto it = node->children.find(key);
        if (it == node->children.end()) {
            if (!create) {
                *status = static_cast<LONG>(ERROR_FILE_NOT_FOUND);
                return nullptr;
            }
            if (node->isVolatile && !isVolatile && node != hklm) {
                *status = static_cast<LONG>(ERROR_CHILD_MUST_BE_VOLATILE);
                return nullptr;
            }
            auto child = std::make_shared<FakeRegNode>();
            child->name = part;
            child->isVolatile = isVolatile;
            node->children[key] = child;
            node->childOrder.push_back(key);
            std::sort(node->childOrder.begin(), node->childOrder.end());
            if (created != nullptr) *created = true;
            node = child;
        } else {
            node = it->second;
        }
    }
    *status = 0;
    return node;
}

std::shared_ptr<FakeRegNode> FakePlatform::FindKey(const std::string& path) const {
    std::shared_ptr<FakeRegNode> node = hklm;
    for (const std::string& part : SplitKey(path)) {
        auto it = node->children.find(Lower(part));
        if (it == node->children.end()) return nullptr;
        node = it->second;
    }
    return node;
}

std::shared_ptr<FakeRegNode> FakePlatform::MakeKey(const std::string& path, bool isVolatile) {
    LONG status = 0;
    return Walk(hklm, path, true, isVolatile, &status, nullptr);
}

void FakePlatform::SetValue(const std::string& keyPath, const std::string& name, DWORD type,
                            const std::string& bytes) {
    std::shared_ptr<FakeRegNode> node = MakeKey(keyPath);
    node->values[Lower(name)] = FakeRegValue{type, bytes};
}

FakePlatform::KeyHandle* FakePlatform::Key(HKEY key) {
    auto* handle = reinterpret_cast<KeyHandle*>(key);
    return keys_.count(handle) != 0 ? handle : nullptr;
}

std::shared_ptr<FakeRegNode> FakePlatform::Base(HKEY root) {
    if (root == HKEY_LOCAL_MACHINE) return hklm;
    if (KeyHandle* handle = Key(root)) return handle->node->deleted ? nullptr : handle->node;
    return nullptr;
}

LONG FakePlatform::RegOpenKeyExA(HKEY root, const char* subKey, DWORD options, REGSAM access,
                                 HKEY* result) {
    char meta[48];
    std::snprintf(meta, sizeof(meta), "0x%X %u", access, options);
    Log("RegOpenKeyExA", {subKey != nullptr ? subKey : "", meta});
    *result = nullptr;
    DWORD code = 0;
    if (Injected(FakeOp::RegOpenKeyExA, LastArgs(), &code)) return static_cast<LONG>(code);
    std::shared_ptr<FakeRegNode> base = Base(root);
    if (base == nullptr) return static_cast<LONG>(ERROR_INVALID_HANDLE);
    const REGSAM views = KEY_WOW64_64KEY | KEY_WOW64_32KEY;
    if ((access & views) != 0 && refusesViewFlags) return static_cast<LONG>(ERROR_INVALID_PARAMETER);
    std::string path = subKey != nullptr ? subKey : "";
    // A 32-bit program on 64-bit Windows sees SOFTWARE through its own view
    // unless it asks for the 64-bit one.
    if (isWow64 && root == HKEY_LOCAL_MACHINE && (access & KEY_WOW64_64KEY) == 0 &&
        Lower(path).rfind("software\\", 0) == 0)
        path.insert(9, "Wow6432Node\\");
    LONG status = 0;
    std::shared_ptr<FakeRegNode> node = Walk(base, path, false, false, &status, nullptr);
    return node == nullptr ? status : NewKeyHandle(node, access & ~views, result);
}

LONG FakePlatform::NewKeyHandle(const std::shared_ptr<FakeRegNode>& node, REGSAM access, HKEY* result) {
    if (RefusedAccess(*node, access)) return static_cast<LONG>(ERROR_ACCESS_DENIED);
    auto* handle = new KeyHandle{node, access};
    keys_.insert(handle);
    peakOpenKeys = std::max(peakOpenKeys, ++openKeys);
    *result = reinterpret_cast<HKEY>(handle);
    return 0;
}

LONG FakePlatform::RegCreateKeyExA(HKEY root, const char* subKey, DWORD, char*, DWORD options,
                                   REGSAM access, void*, HKEY* result, DWORD* disposition) {
    char meta[48];
    std::snprintf(meta, sizeof(meta), "0x%X options=%u", access, options);
    Log("RegCreateKeyExA", {subKey != nullptr ? subKey : "", meta});
    *result = nullptr;
    DWORD code = 0;
    if (Injected(FakeOp::RegCreateKeyExA, LastArgs(), &code)) return static_cast<LONG>(code);
    std::shared_ptr<FakeRegNode> base = Base(root);
    if (base == nullptr) return static_cast<LONG>(ERROR_INVALID_HANDLE);
    LONG status = 0;
    bool created = false;
    std::shared_ptr<FakeRegNode> node =
        Walk(base, subKey != nullptr ? subKey : "", true, options == REG_OPTION_VOLATILE, &status, &created);
    if (node == nullptr) return status;
    status = NewKeyHandle(node, access, result);
    if (status == 0 && disposition != nullptr)
        *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    return status;
}

LONG FakePlatform::RegQueryValueExA(HKEY key, const char* name, DWORD*, DWORD* type, BYTE* data,
                                    DWORD* size) {
    Log("RegQueryValueExA", {name != nullptr ? name : "", size != nullptr ? std::to_string(*size) : "null"});
    KeyHandle* handle = Key(key);
    if (handle == nullptr) return static_cast<LONG>(ERROR_INVALID_HANDLE);
    if (handle->node->deleted) return static_cast<LONG>(ERROR_KEY_DELETED);
    DWORD code = 0;
    if (Injected(FakeOp::RegQueryValueExA, LastArgs(), &code)) return static_cast<LONG>(code);
    auto it = handle->node->values.find(Lower(name != nullptr ? name : ""));
    if (it == handle->node->values.end()) return static_cast<LONG>(ERROR_FILE_NOT_FOUND);
    const FakeRegValue& value = it->second;
    if (type != nullptr) *type = value.type;
    DWORD needed = static_cast<DWORD>(value.data.size());
    if (data == nullptr) {
        if (size != nullptr) *size = needed;
        return 0;
    }
    if (size == nullptr) return static_cast<LONG>(ERROR_INVALID_PARAMETER);
    if (*size < needed) {
        *size = needed;
        return static_cast<LONG>(ERROR_MORE_DATA);
    }
    std::memcpy(data, value.data.data(), needed);
    *size = needed;
    return 0;
}

LONG FakePlatform::RegSaveKeyA(HKEY key, const char* file, void*) {
    Log("RegSaveKeyA", {file});
    KeyHandle* handle = Key(key);
    if (handle == nullptr) return static_cast<LONG>(ERROR_INVALID_HANDLE);
    DWORD code = 0;
    if (Injected(FakeOp::RegSaveKeyA, LastArgs(), &code)) return static_cast<LONG>(code);
    if (enabledPrivileges.count("SeBackupPrivilege") == 0) return static_cast<LONG>(ERROR_PRIVILEGE_NOT_HELD);
    std::string host = HostPath(file);
    std::error_code error;
    if (host.empty() || !fs::is_directory(fs::path(host).parent_path(), error))
        return static_cast<LONG>(ERROR_PATH_NOT_FOUND);
    if (fs::exists(host, error)) return static_cast<LONG>(ERROR_ALREADY_EXISTS);
    if (IsReadOnly(file)) return static_cast<LONG>(ERROR_ACCESS_DENIED);
    std::ofstream out(host, std::ios::binary);
    out << "FAKE HIVE 1\n";
    Dump(*handle->node, "", out);
    return 0;
}

LONG FakePlatform::RegRestoreKeyA(HKEY key, const char* file, DWORD flags) {
    Log("RegRestoreKeyA", {file, std::to_string(flags)});
    KeyHandle* handle = Key(key);
    if (handle == nullptr) return static_cast<LONG>(ERROR_INVALID_HANDLE);
    DWORD code = 0;
    if (Injected(FakeOp::RegRestoreKeyA, LastArgs(), &code)) return static_cast<LONG>(code);
    if (enabledPrivileges.count("SeRestorePrivilege") == 0) return static_cast<LONG>(ERROR_PRIVILEGE_NOT_HELD);
    std::string host = HostPath(file);
    std::error_code error;
    if (host.empty() || !fs::is_regular_file(host, error)) return static_cast<LONG>(ERROR_FILE_NOT_FOUND);
    std::ifstream in(host, std::ios::binary);
    std::string line;
    if (!std::getline(in, line) || line != "FAKE HIVE 1") return static_cast<LONG>(ERROR_BADKEY);
    std::shared_ptr<FakeRegNode> target = handle->node;
    target->values.clear();
    for (const std::string& child : std::vector<std::string>(target->childOrder)) Detach(*target, child);
    std::shared_ptr<FakeRegNode> current = target;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string kind, a, b, c;
        fields >> kind >> a;
        if (kind == "key") {
            LONG status = 0;
            current = Walk(target, Unhex(a), true, target->isVolatile, &status, nullptr);
        } else if (kind == "value" && current != nullptr) {
            fields >> b >> c;
            current->values[Lower(Unhex(a))] = FakeRegValue{static_cast<DWORD>(std::stoul(b)), Unhex(c)};
        }
    }
    return 0;
}

LONG FakePlatform::RegEnumKeyExA(HKEY key, DWORD index, char* name, DWORD* nameLength, DWORD*,
                                 char*, DWORD*, FILETIME*) {
    Log("RegEnumKeyExA", {std::to_string(index), std::to_string(*nameLength)});
    KeyHandle* handle = Key(key);
    if (handle == nullptr) return static_cast<LONG>(ERROR_INVALID_HANDLE);
    if (handle->node->deleted) return static_cast<LONG>(ERROR_KEY_DELETED);
    DWORD code = 0;
    if (Injected(FakeOp::RegEnumKeyExA, LastArgs(), &code)) return static_cast<LONG>(code);
    const auto& order = handle->node->childOrder;
    if (index >= order.size()) return static_cast<LONG>(ERROR_NO_MORE_ITEMS);
    const std::string& childName = handle->node->children.at(order[index])->name;
    if (childName.size() + 1 > *nameLength) return static_cast<LONG>(ERROR_MORE_DATA);
    std::memcpy(name, childName.c_str(), childName.size() + 1);
    *nameLength = static_cast<DWORD>(childName.size());
    return 0;
}

LONG FakePlatform::RegCloseKey(HKEY key) {
    auto* handle = reinterpret_cast<KeyHandle*>(key);
    if (keys_.erase(handle) == 0) return static_cast<LONG>(ERROR_INVALID_HANDLE);
    delete handle;
    --openKeys;
    return 0;
}

LONG FakePlatform::SHDeleteKeyA(HKEY root, const char* subKey) {
    Log("SHDeleteKeyA", {subKey != nullptr ? subKey : ""});
    DWORD code = 0;
    if (Injected(FakeOp::SHDeleteKeyA, LastArgs(), &code)) return static_cast<LONG>(code);
    std::shared_ptr<FakeRegNode> base = Base(root);
    if (base == nullptr) return static_cast<LONG>(ERROR_INVALID_HANDLE);
    std::vector<std::string> parts = SplitKey(subKey != nullptr ? subKey : "");
    if (parts.empty()) return static_cast<LONG>(ERROR_ACCESS_DENIED);
    std::shared_ptr<FakeRegNode> parent = base;
    for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
        auto it = parent->children.find(Lower(parts[i]));
        if (it == parent->children.end()) return static_cast<LONG>(ERROR_FILE_NOT_FOUND);
        parent = it->second;
    }
    if (parent->children.count(Lower(parts.back())) == 0) return static_cast<LONG>(ERROR_FILE_NOT_FOUND);
    return DeleteTree(*parent, Lower(parts.back()));
}

HANDLE FakePlatform::GetCurrentProcess() { return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-1)); }

BOOL FakePlatform::OpenProcessToken(HANDLE, DWORD access, HANDLE* token) {
    char meta[16];
    std::snprintf(meta, sizeof(meta), "0x%X", access);
    Log("OpenProcessToken", {meta});
    DWORD code = 0;
    if (Injected(FakeOp::OpenProcessToken, LastArgs(), &code)) {
        lastError_ = code;
        *token = nullptr;
        return FALSE;
    }
    ++openTokens;
    tokenAccess_ = access;
    *token = &tokenTag_;
    return TRUE;
}

BOOL FakePlatform::LookupPrivilegeValueA(const char* system, const char* name, LUID* luid) {
    Log("LookupPrivilegeValueA", {system == nullptr ? "local" : system, name});
    if (FailsNow(FakeOp::LookupPrivilegeValueA, LastArgs())) return FALSE;
    std::string privilege(name);
    DWORD value = privilege == "SeBackupPrivilege"        ? kLuidBackup
                  : privilege == "SeRestorePrivilege"     ? kLuidRestore
                  : privilege == "SeCreateTokenPrivilege" ? kLuidCreateToken
                                                          : 0;
    if (value == 0) {
        lastError_ = ERROR_NO_SUCH_PRIVILEGE;
        return FALSE;
    }
    luid->LowPart = value;
    luid->HighPart = 0;
    return TRUE;
}

BOOL FakePlatform::AdjustTokenPrivileges(HANDLE token, BOOL disableAll, TOKEN_PRIVILEGES* state,
                                         DWORD length, TOKEN_PRIVILEGES*, DWORD*) {
    std::vector<std::string> args = {std::to_string(disableAll), std::to_string(length)};
    if (state != nullptr && state->PrivilegeCount > 0) {
        args.push_back(std::to_string(state->Privileges[0].Luid.LowPart));
        args.push_back(std::to_string(state->Privileges[0].Attributes));
    }
    Log("AdjustTokenPrivileges", args);
    if (token != &tokenTag_) {
        lastError_ = ERROR_INVALID_HANDLE;
        return FALSE;
    }
    if ((tokenAccess_ & TOKEN_ADJUST_PRIVILEGES) == 0) {
        lastError_ = ERROR_ACCESS_DENIED;
        return FALSE;
    }
    // ERROR_NOT_ALL_ASSIGNED comes with success, as Windows reports it.
    if (FailsNow(FakeOp::AdjustTokenPrivileges, LastArgs())) return lastError_ == ERROR_NOT_ALL_ASSIGNED ? TRUE : FALSE;
    bool allAssigned = true;
    for (DWORD i = 0; state != nullptr && i < state->PrivilegeCount; ++i) {
        DWORD luid = state->Privileges[i].Luid.LowPart;
        std::string name = luid == kLuidBackup ? "SeBackupPrivilege" : luid == kLuidRestore ? "SeRestorePrivilege" : "";
        if (name.empty() || heldPrivileges.count(name) == 0) {
            allAssigned = false;
            continue;
        }
        if ((state->Privileges[i].Attributes & SE_PRIVILEGE_ENABLED) != 0) enabledPrivileges.insert(name);
        else enabledPrivileges.erase(name);
    }
    lastError_ = allAssigned ? 0 : ERROR_NOT_ALL_ASSIGNED;
    return TRUE;
}

DWORD FakePlatform::GetSecurityInfo(HANDLE object, int objectType, DWORD info, PSID*, PSID*,
                                    PACL* dacl, PACL*, PSECURITY_DESCRIPTOR* descriptor) {
    KeyHandle* handle = Key(static_cast<HKEY>(object));
    Log("GetSecurityInfo", {handle != nullptr ? handle->node->name : "?", std::to_string(objectType), std::to_string(info)});
    if (handle == nullptr) return ERROR_INVALID_HANDLE;
    DWORD code = 0;
    if (Injected(FakeOp::GetSecurityInfo, LastArgs(), &code)) return code;
    auto* block = new SecurityBlock{handle->node, false};
    securityBlocks_.insert(block);
    ++localAllocs;
    *descriptor = block;
    if (dacl != nullptr) *dacl = block;  // the DACL lives inside the descriptor
    return 0;
}

DWORD FakePlatform::SetEntriesInAclA(UINT count, EXPLICIT_ACCESS_A* entries, PACL oldAcl, PACL* newAcl) {
    std::vector<std::string> args = {std::to_string(count)};
    if (count > 0) {
        char meta[128];
        std::snprintf(meta, sizeof(meta), "0x%X mode=%d inherit=%u form=%d type=%d name=%s",
                      entries[0].grfAccessPermissions, entries[0].grfAccessMode, entries[0].grfInheritance,
                      entries[0].Trustee.TrusteeForm, entries[0].Trustee.TrusteeType,
                      entries[0].Trustee.ptstrName != nullptr ? entries[0].Trustee.ptstrName : "");
        args.push_back(meta);
    }
    Log("SetEntriesInAclA", args);
    DWORD code = 0;
    if (Injected(FakeOp::SetEntriesInAclA, LastArgs(), &code)) return code;
    auto* old = static_cast<SecurityBlock*>(oldAcl);
    if (securityBlocks_.count(old) == 0) return ERROR_INVALID_PARAMETER;
    auto* block = new SecurityBlock{old->node, true};
    securityBlocks_.insert(block);
    ++localAllocs;
    *newAcl = block;
    return 0;
}

DWORD FakePlatform::SetSecurityInfo(HANDLE object, int objectType, DWORD info, PSID, PSID, PACL dacl, PACL) {
    KeyHandle* handle = Key(static_cast<HKEY>(object));
    Log("SetSecurityInfo", {handle != nullptr ? handle->node->name : "?", std::to_string(objectType), std::to_string(info)});
    if (handle == nullptr) return ERROR_INVALID_HANDLE;
    DWORD code = 0;
    if (Injected(FakeOp::SetSecurityInfo, LastArgs(), &code)) return code;
    // As Windows and Wine: a DACL is written through WRITE_DAC.
    if ((handle->access & WRITE_DAC) == 0) return ERROR_ACCESS_DENIED;
    auto* block = static_cast<SecurityBlock*>(dacl);
    if (securityBlocks_.count(block) == 0 || !block->isAcl) return ERROR_INVALID_PARAMETER;
    handle->node->grants += 1;
    handle->node->deleteDenied = false;
    handle->node->ownerOnly = false;
    return 0;
}

void* FakePlatform::LocalFree(void* memory) {
    auto* block = static_cast<SecurityBlock*>(memory);
    if (securityBlocks_.erase(block) == 0) return memory;  // not ours: failure
    delete block;
    --localAllocs;
    return nullptr;
}

}  // namespace gx
