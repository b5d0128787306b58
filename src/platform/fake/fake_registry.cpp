// The fake's registry below HKEY_LOCAL_MACHINE, with volatile keys, refused
// keys, and hive files in a text format of its own.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/fake/fake_files.h"
#include "platform/fake/fake_process.h"
#include "platform/fake/fake_registry.h"
#include "platform/fake/fake_security.h"
#include "platform/fake/fake_text.h"

namespace fs = std::filesystem;

namespace gx {

namespace {


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

std::string Unhex(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i + 1 < text.size(); i += 2)
        out += static_cast<char>(std::stoi(text.substr(i, 2), nullptr, 16));
    return out;
}

void Dump(const FakeRegNode& node, const std::string& path, std::ostream& out) {
    out << "key " << FakeHexBytes(path) << "\n";
    for (const auto& value : node.values)
        out << "value " << FakeHexBytes(value.first) << " " << value.second.type << " " << FakeHexBytes(value.second.data) << "\n";
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

// Branches below SOFTWARE that 64-bit Windows keeps once for both kinds of
// program; the rest of SOFTWARE a 32-bit program sees below Wow6432Node.
const char* const kSharedBranches[] = {
    "classes", "clients", "policies", "registeredapplications", "microsoft\\ole", "microsoft\\rpc",
    "microsoft\\com3", "microsoft\\eventsystem", "microsoft\\cryptography\\services",
    "microsoft\\systemcertificates", "microsoft\\windows nt\\currentversion\\profilelist",
    "microsoft\\windows nt\\currentversion\\fonts", "microsoft\\windows nt\\currentversion\\time zones",
    "microsoft\\windows\\currentversion\\policies", "microsoft\\windows\\currentversion\\group policy",
};

// The 32-bit view's place of a path below HKLM.
std::string Redirected32(const std::string& path) {
    std::vector<std::string> parts = SplitKey(path);
    if (parts.size() < 2 || Lower(parts[0]) != "software" || Lower(parts[1]) == "wow6432node") return path;
    std::string below;
    for (std::size_t i = 1; i < parts.size(); ++i) below += (i > 1 ? "\\" : "") + Lower(parts[i]);
    for (const char* shared : kSharedBranches) {
        const std::string branch(shared);
        if (below.compare(0, branch.size(), branch) == 0 && (below.size() == branch.size() || below[branch.size()] == '\\'))
            return path;
    }
    std::string out = parts[0] + "\\Wow6432Node";
    for (std::size_t i = 1; i < parts.size(); ++i) out += "\\" + parts[i];
    return out;
}

void DescribeKey(const FakeRegNode& node, const std::string& path, std::string& out) {
    out += "  " + path;
    if (node.isVolatile) out += " (volatile)";
    if (node.openDenied) out += " (open denied)";
    if (node.deleteDenied) out += " (delete denied)";
    if (node.writeDacDenied) out += " (DACL fixed)";
    if (node.ownerOnly) out += " (owner only)";
    for (const auto& value : node.values) out += " " + value.first + "=" + std::to_string(value.second.data.size()) + "B";
    out += "\n";
    for (const std::string& child : node.childOrder) {
        const FakeRegNode& sub = *node.children.at(child);
        DescribeKey(sub, path + "\\" + sub.name, out);
    }
}

}  // namespace

FakeRegistry::FakeRegistry(FakeCore& core, const FakeProcess& process, FakeFiles& files)
    : FakeArea(core), process_(process), files_(files), hklm_(std::make_shared<FakeRegNode>()) {
    hklm_->name = "HKEY_LOCAL_MACHINE";
    core.MayFail({FakeOp::SHDeleteKeyA, FakeOp::RegOpenKeyExA, FakeOp::RegCreateKeyExA, FakeOp::RegQueryValueExA,
                  FakeOp::RegSaveKeyA, FakeOp::RegRestoreKeyA, FakeOp::RegEnumKeyExA});
}

FakeRegistry::~FakeRegistry() {
    for (KeyHandle* key : keys_) delete key;
}

std::string FakeRegistry::OpenHandles() const {
    std::string text;
    for (const KeyHandle* key : keys_) text += "key " + key->node->name + "\n";
    return text;
}

std::string FakeRegistry::Describe() const {
    std::string out = " keys:\n";
    DescribeKey(*hklm_, "HKLM", out);
    return out;
}

std::shared_ptr<FakeRegNode> FakeRegistry::OpenKey(HKEY key, REGSAM* access) {
    KeyHandle* handle = Key(key);
    if (handle == nullptr) return nullptr;
    *access = handle->access;
    return handle->node;
}

std::shared_ptr<FakeRegNode> FakeRegistry::Walk(const std::shared_ptr<FakeRegNode>& from,
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
            if (node->isVolatile && !isVolatile && node != hklm_) {
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

std::shared_ptr<const FakeRegNode> FakeRegistry::FindKey(const std::string& path) const {
    std::shared_ptr<FakeRegNode> node = hklm_;
    for (const std::string& part : SplitKey(path)) {
        auto it = node->children.find(Lower(part));
        if (it == node->children.end()) return nullptr;
        node = it->second;
    }
    return node;
}

std::shared_ptr<FakeRegNode> FakeRegistry::Made(const std::string& path, bool isVolatile) {
    LONG status = 0;
    return Walk(hklm_, path, true, isVolatile, &status, nullptr);
}

void FakeRegistry::MakeKey(const std::string& path, bool isVolatile) { Made(path, isVolatile); }

void FakeRegistry::RemoveKey(const std::string& path) {
    std::vector<std::string> parts = SplitKey(path);
    if (parts.empty()) return;
    std::shared_ptr<FakeRegNode> parent = hklm_;
    for (std::size_t i = 0; i + 1 < parts.size() && parent != nullptr; ++i) {
        auto it = parent->children.find(Lower(parts[i]));
        parent = it == parent->children.end() ? nullptr : it->second;
    }
    if (parent != nullptr) Detach(*parent, Lower(parts.back()));
}

void FakeRegistry::DenyOpen(const std::string& path) { Made(path)->openDenied = true; }
void FakeRegistry::DenyDelete(const std::string& path) { Made(path)->deleteDenied = true; }
void FakeRegistry::FixDacl(const std::string& path) { Made(path)->writeDacDenied = true; }
void FakeRegistry::OwnerOnly(const std::string& path) { Made(path)->ownerOnly = true; }

void FakeRegistry::SetValue(const std::string& keyPath, const std::string& name, DWORD type,
                            const std::string& bytes) {
    std::shared_ptr<FakeRegNode> node = Made(keyPath);
    node->values[Lower(name)] = FakeRegValue{type, bytes};
}

FakeRegistry::KeyHandle* FakeRegistry::Key(HKEY key) {
    auto* handle = reinterpret_cast<KeyHandle*>(key);
    return keys_.count(handle) != 0 ? handle : nullptr;
}

std::shared_ptr<FakeRegNode> FakeRegistry::Base(HKEY root) {
    if (root == HKEY_LOCAL_MACHINE) return hklm_;
    if (KeyHandle* handle = Key(root)) return handle->node->deleted ? nullptr : handle->node;
    return nullptr;
}

LONG FakeRegistry::Resolve(HKEY root, const char* subKey, REGSAM access, std::shared_ptr<FakeRegNode>* base,
                           std::string* path, std::string* basePath, bool* view32) {
    if ((access & (KEY_WOW64_64KEY | KEY_WOW64_32KEY)) != 0 && refusesViewFlags_)
        return static_cast<LONG>(ERROR_INVALID_PARAMETER);
    *base = Base(root);
    *path = subKey != nullptr ? subKey : "";
    basePath->clear();
    KeyHandle* parent = root == HKEY_LOCAL_MACHINE ? nullptr : Key(root);
    if (parent != nullptr) *basePath = parent->path;
    const bool asks64 = (access & KEY_WOW64_64KEY) != 0, asks32 = (access & KEY_WOW64_32KEY) != 0;
    // Below a handle on SOFTWARE itself each call's own flags decide, as the
    // redirection happens at that level.
    const bool atSoftware = parent != nullptr && Lower(parent->path) == "software";
    *view32 = process_.IsWow64() && (asks32 || (!asks64 && (parent == nullptr || parent->view32 || atSoftware)));
    if (*base == nullptr) return static_cast<LONG>(ERROR_INVALID_HANDLE);
    if (!*view32) return 0;
    const std::string full = basePath->empty() ? *path : *basePath + "\\" + *path;
    const std::string seen = Redirected32(full);
    if (seen == full) return 0;
    if (basePath->empty() || Lower(seen).rfind(Lower(*basePath) + "\\", 0) != 0) {
        *base = hklm_;
        *path = seen;
        basePath->clear();
    } else {
        *path = seen.substr(basePath->size() + 1);
    }
    return 0;
}

std::string FakeRegistry::NamedPath(const std::shared_ptr<FakeRegNode>& from, const std::string& fromPath,
                                    const std::string& path) const {
    std::shared_ptr<FakeRegNode> node = from;
    std::string named = fromPath;
    for (const std::string& part : SplitKey(path)) {
        auto it = node->children.find(Lower(part));
        if (it == node->children.end()) break;
        node = it->second;
        named += (named.empty() ? "" : "\\") + node->name;
    }
    return named;
}

LONG FakeRegistry::RegOpenKeyExA(HKEY root, const char* subKey, DWORD options, REGSAM access,
                                 HKEY* result) {
    Log(FakeOp::RegOpenKeyExA, {subKey != nullptr ? subKey : "", FakeHex(access), std::to_string(options)});
    *result = nullptr;
    DWORD code = 0;
    if (Injected(FakeOp::RegOpenKeyExA, LastArgs(), &code)) return static_cast<LONG>(code);
    const REGSAM views = KEY_WOW64_64KEY | KEY_WOW64_32KEY;
    std::shared_ptr<FakeRegNode> base;
    std::string path, basePath;
    bool view32 = false;
    if (LONG refused = Resolve(root, subKey, access, &base, &path, &basePath, &view32)) return refused;
    LONG status = 0;
    std::shared_ptr<FakeRegNode> node = Walk(base, path, false, false, &status, nullptr);
    return node == nullptr ? status
                           : NewKeyHandle(node, access & ~views, result, NamedPath(base, basePath, path), view32);
}

LONG FakeRegistry::NewKeyHandle(const std::shared_ptr<FakeRegNode>& node, REGSAM access, HKEY* result,
                                const std::string& path, bool view32) {
    if (RefusedAccess(*node, access)) return static_cast<LONG>(ERROR_ACCESS_DENIED);
    auto* handle = new KeyHandle{node, access, path, view32};
    keys_.insert(handle);
    peakOpenKeys_ = std::max(peakOpenKeys_, ++openKeys_);
    *result = reinterpret_cast<HKEY>(handle);
    return 0;
}

LONG FakeRegistry::RegCreateKeyExA(HKEY root, const char* subKey, DWORD, char*, DWORD options,
                                   REGSAM access, void*, HKEY* result, DWORD* disposition) {
    Log(FakeOp::RegCreateKeyExA, {subKey != nullptr ? subKey : "", FakeHex(access), std::to_string(options)});
    *result = nullptr;
    DWORD code = 0;
    if (Injected(FakeOp::RegCreateKeyExA, LastArgs(), &code)) return static_cast<LONG>(code);
    const REGSAM views = KEY_WOW64_64KEY | KEY_WOW64_32KEY;
    std::shared_ptr<FakeRegNode> base;
    std::string path, basePath;
    bool view32 = false;
    if (LONG refused = Resolve(root, subKey, access, &base, &path, &basePath, &view32)) return refused;
    LONG status = 0;
    bool created = false;
    std::shared_ptr<FakeRegNode> node = Walk(base, path, true, options == REG_OPTION_VOLATILE, &status, &created);
    if (node == nullptr) return status;
    status = NewKeyHandle(node, access & ~views, result, NamedPath(base, basePath, path), view32);
    if (status == 0 && disposition != nullptr)
        *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    return status;
}

LONG FakeRegistry::RegQueryValueExA(HKEY key, const char* name, DWORD*, DWORD* type, BYTE* data,
                                    DWORD* size) {
    Log(FakeOp::RegQueryValueExA, {name != nullptr ? name : "", size != nullptr ? std::to_string(*size) : "null"});
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

LONG FakeRegistry::RegSaveKeyA(HKEY key, const char* file, void*) {
    Log(FakeOp::RegSaveKeyA, {file});
    KeyHandle* handle = Key(key);
    if (handle == nullptr) return static_cast<LONG>(ERROR_INVALID_HANDLE);
    DWORD code = 0;
    if (Injected(FakeOp::RegSaveKeyA, LastArgs(), &code)) return static_cast<LONG>(code);
    if (!security_->IsEnabled("SeBackupPrivilege")) return static_cast<LONG>(ERROR_PRIVILEGE_NOT_HELD);
    std::string host = files_.HostPath(file);
    std::error_code error;
    if (host.empty() || !fs::is_directory(fs::path(host).parent_path(), error))
        return static_cast<LONG>(ERROR_PATH_NOT_FOUND);
    if (fs::exists(host, error)) return static_cast<LONG>(ERROR_ALREADY_EXISTS);
    if (files_.IsReadOnly(file)) return static_cast<LONG>(ERROR_ACCESS_DENIED);
    std::ofstream out(host, std::ios::binary);
    out << "FAKE HIVE 1\n";
    Dump(*handle->node, "", out);
    return 0;
}

LONG FakeRegistry::RegRestoreKeyA(HKEY key, const char* file, DWORD flags) {
    Log(FakeOp::RegRestoreKeyA, {file, std::to_string(flags)});
    KeyHandle* handle = Key(key);
    if (handle == nullptr) return static_cast<LONG>(ERROR_INVALID_HANDLE);
    DWORD code = 0;
    if (Injected(FakeOp::RegRestoreKeyA, LastArgs(), &code)) return static_cast<LONG>(code);
    if (!security_->IsEnabled("SeRestorePrivilege")) return static_cast<LONG>(ERROR_PRIVILEGE_NOT_HELD);
    std::string host = files_.HostPath(file);
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

LONG FakeRegistry::RegEnumKeyExA(HKEY key, DWORD index, char* name, DWORD* nameLength, DWORD*,
                                 char*, DWORD*, FILETIME*) {
    Log(FakeOp::RegEnumKeyExA, {std::to_string(index), std::to_string(*nameLength)});
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

LONG FakeRegistry::RegCloseKey(HKEY key) {
    Log(FakeOp::RegCloseKey);
    auto* handle = reinterpret_cast<KeyHandle*>(key);
    if (keys_.erase(handle) == 0) return static_cast<LONG>(ERROR_INVALID_HANDLE);
    delete handle;
    --openKeys_;
    return 0;
}

LONG FakeRegistry::ParentForDeletion(HKEY root, const char* subKey, REGSAM access,
                                     std::shared_ptr<FakeRegNode>* parent, std::string* lowerName) {
    std::shared_ptr<FakeRegNode> base;
    std::string path, basePath;
    bool view32 = false;
    if (LONG refused = Resolve(root, subKey, access, &base, &path, &basePath, &view32)) return refused;
    std::vector<std::string> parts = SplitKey(path);
    if (parts.empty()) return static_cast<LONG>(ERROR_ACCESS_DENIED);
    *parent = base;
    for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
        auto it = (*parent)->children.find(Lower(parts[i]));
        if (it == (*parent)->children.end()) return static_cast<LONG>(ERROR_FILE_NOT_FOUND);
        *parent = it->second;
    }
    *lowerName = Lower(parts.back());
    return 0;
}

LONG FakeRegistry::SHDeleteKeyA(HKEY root, const char* subKey) {
    Log(FakeOp::SHDeleteKeyA, {subKey != nullptr ? subKey : ""});
    DWORD code = 0;
    if (Injected(FakeOp::SHDeleteKeyA, LastArgs(), &code)) return static_cast<LONG>(code);
    // The shell's call has no view flags: a 32-bit program deletes in its own
    // view, or in the view of the key it names as the root.
    std::shared_ptr<FakeRegNode> parent;
    std::string name;
    LONG status = ParentForDeletion(root, subKey, 0, &parent, &name);
    if (status != 0) return status;
    if (parent->children.count(name) == 0) return static_cast<LONG>(ERROR_FILE_NOT_FOUND);
    return DeleteTree(*parent, name);
}

namespace {
ProcAddress__* const kNtQueryKey = reinterpret_cast<ProcAddress__*>(0x5A06);

ProcAddress__* const kRegDeleteKeyEx = reinterpret_cast<ProcAddress__*>(0x5A07);
}  // namespace

FARPROC FakeNtQueryKeyProc() { return kNtQueryKey; }

FARPROC FakeRegDeleteKeyExProc() { return kRegDeleteKeyEx; }

LONG FakeRegistry::Call_RegDeleteKeyExA(FARPROC proc, HKEY root, const char* subKey, REGSAM access, DWORD) {
    if (proc != kRegDeleteKeyEx) Unexpected("Call_RegDeleteKeyExA with a foreign address");
    Log(FakeOp::Call_RegDeleteKeyExA, {subKey != nullptr ? subKey : "", FakeHex(access)});
    std::shared_ptr<FakeRegNode> parent;
    std::string name;
    LONG status = ParentForDeletion(root, subKey, access, &parent, &name);
    if (status != 0) return status;
    auto it = parent->children.find(name);
    if (it == parent->children.end()) return static_cast<LONG>(ERROR_FILE_NOT_FOUND);
    // Only a key without subkeys goes, as with RegDeleteKey.
    if (!it->second->children.empty() || RefusedAccess(*it->second, DELETE))
        return static_cast<LONG>(ERROR_ACCESS_DENIED);
    Detach(*parent, name);
    return 0;
}

LONG FakeRegistry::Call_NtQueryKey(FARPROC proc, HKEY key, int infoClass, void* buffer, ULONG length,
                                   ULONG* resultLength) {
    if (proc != kNtQueryKey) Unexpected("Call_NtQueryKey with a foreign address");
    Log(FakeOp::Call_NtQueryKey, {std::to_string(infoClass), std::to_string(length)});
    constexpr int kKeyNameInformation = 3;
    if (infoClass != kKeyNameInformation) Unexpected("Call_NtQueryKey for another class");
    KeyHandle* handle = Key(key);
    if (handle == nullptr) return static_cast<LONG>(0xC0000008u);  // STATUS_INVALID_HANDLE
    const std::string name = "\\REGISTRY\\MACHINE" + (handle->path.empty() ? "" : "\\" + handle->path);
    const ULONG nameBytes = static_cast<ULONG>(name.size() * 2);
    *resultLength = 4 + nameBytes;
    if (length < 4) return static_cast<LONG>(0xC0000023u);  // STATUS_BUFFER_TOO_SMALL
    auto* out = static_cast<unsigned char*>(buffer);
    std::memcpy(out, &nameBytes, 4);
    ULONG room = (length - 4) / 2;
    for (ULONG i = 0; i < room && i < name.size(); ++i) {
        const char16_t c = static_cast<unsigned char>(name[i]);
        std::memcpy(out + 4 + 2 * i, &c, 2);
    }
    return length < *resultLength ? static_cast<LONG>(0x80000005u) : 0;  // STATUS_BUFFER_OVERFLOW
}

}  // namespace gx
