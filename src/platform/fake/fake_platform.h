// A small Windows for tests. Files live in a real temporary folder that
// stands in for the drives; the registry, tokens, event logs, version records
// and windows are kept in memory. The operations that can fail under Windows
// in ways the program handles can be told to fail (FakePlatform::Fail), and
// most calls land in a call log that tests read back.
#pragma once

#include <algorithm>
#include <deque>
#include <functional>
#include <map>
#include <memory>
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

struct FakeCall {
    std::string name;
    std::vector<std::string> args;  // each argument as text: paths, hex flags, ids
};

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

// One scripted reaction of the user, run when the program calls a given
// operation (a dialog opening, a message box, a message pump).
using FakeScript = std::function<void()>;

// One step of the scripted user. Most happen while a dialog's modal loop
// waits for input; some during the program's own message pump or sleep
// (the middle of a collection run); answers go to the next message box or
// open-file dialog.
struct FakeUserAction {
    enum class Kind {
        Click,        // mouse click on a button (ignored when disabled or hidden)
        Type,         // replaces an edit's text, cut at its text limit
        Enter,        // the Enter key with the focus on a control
        Escape,       // the Esc key with the focus on a control (0: none)
        Close,        // close box: WM_CLOSE
        AltF4,        // WM_SYSCOMMAND SC_CLOSE
        LogOff,       // WM_QUERYENDSESSION to every running dialog
        PostCommand,  // another program posts WM_COMMAND with an id
        Answer,       // the next message box
        PickFile,     // the next open-file dialog: this file
        CancelFile,   // the next open-file dialog: cancelled
        Check,        // runs a test's script
    };
    enum class Moment { Dialog, Pump, Sleep };
    Kind kind = Kind::Check;
    Moment moment = Moment::Dialog;
    int id = 0;
    int templateId = 0;  // the dialog it is meant for; 0: the active one
    std::string text;
    int answer = 0;
    int wait = 0;  // pumps or sleeps to let pass first
    FakeScript script;  // Check: the script; Answer: run while the box is open
};

// Builds the user's script; each modifier changes the action added last.
class FakeUser {
public:
    FakeUser& Click(int id);
    FakeUser& Type(int id, const std::string& text);
    FakeUser& Enter(int focusId);
    FakeUser& Escape(int focusId = 0);
    FakeUser& Close();
    FakeUser& AltF4();
    FakeUser& LogOff();
    FakeUser& PostCommand(int id);
    FakeUser& Answer(int result, FakeScript whileOpen = {});
    FakeUser& PickFile(const std::string& path);
    FakeUser& CancelFile();
    FakeUser& Check(FakeScript script);
    FakeUser& In(int templateId);
    FakeUser& DuringPump(int wait = 0);
    FakeUser& DuringSleep(int wait = 0);
    bool Done() const { return actions.empty(); }
    std::deque<FakeUserAction> actions;

private:
    FakeUser& Add(FakeUserAction::Kind kind);
};

struct FakeMessageBox {
    HWND owner = nullptr;
    int ownerTemplate = 0;  // template of the owning dialog, 0 for none
    std::string text;
    std::string caption;
    bool hasCaption = false;
    UINT type = 0;
};

struct FakeOpenFile {
    HWND owner = nullptr;
    bool hasFilter = false;
    bool hasTitle = false;
    bool hasDefExt = false;
    std::string initialFile;
    DWORD flags = 0;
    DWORD maxFile = 0;
};

class FakePlatform : public Platform {
public:
    FakePlatform();
    ~FakePlatform() override;

    // ---- failure injection and call log ------------------------------------
    // The next `times` calls of `op` (all later ones for -1), after letting
    // `skip` pass, fail as the real call fails: a BOOL or handle result with
    // `code` as the last error, a LONG or DWORD result of `code`. The fixtures
    // fail a test whose injection never fired (see UnfiredFaults).
    FakeFault& Fail(FakeOp op, DWORD code, int times = -1, int skip = 0);
    // The injections that never fired and may not stay silent, one a line.
    std::string UnfiredFaults() const;
    void ClearFaults() { faults_.clear(); }
    // What is still open (keys, searches, files, tokens, event logs, security
    // memory), one a line; empty when everything was closed.
    std::string OpenHandles() const;
    // The small Windows as a test failure shows it: files, keys, locked and
    // protected paths, open handles, injected failures.
    std::string DescribeState() const;
    std::vector<FakeCall> calls;
    std::vector<FakeCall> CallsOf(const std::string& name) const;
    int CountOf(const std::string& name) const;

    // ---- process state -----------------------------------------------------
    std::string modulePath = "C:\\Tools\\gathrix.exe";
    std::string commandLine = "\"C:\\Tools\\gathrix.exe\"";
    SYSTEMTIME clock = {2026, 12, 1, 7, 9, 5, 3, 47};
    LANGID langId = 0x409;
    OSVERSIONINFOEXA version = {};
    std::string windowsDir = "C:\\WINDOWS";
    std::string systemWindowsDir = "C:\\WINDOWS";
    std::set<std::string> loadedModules = {"shell32.dll", "kernel32.dll"};
    std::set<std::string> missingProcs;  // "module!name" pairs that lookups miss
    std::map<int, std::string> shellFolders;  // a CSIDL missing here: E_FILE_NOT_FOUND
    int beeps = 0;
    DWORD sleptMs = 0;
    int sleeps = 0;
    std::string stdoutText;
    FakeScript onSleep;
    DWORD tickCount = 1000;
    DWORD tickStep = 0;  // added to the tick count at every reading
    std::string computerName = "GX-TEST";
    // A 32-bit program on 64-bit Windows: HKLM\SOFTWARE then has two views,
    // the 32-bit one below SOFTWARE\Wow6432Node, where the program looks by default.
    bool isWow64 = false;
    // Refuses the registry view flags (Windows 2000).
    bool refusesViewFlags = false;

    // ---- files: a real folder per drive below root ------------------------
    std::string root;  // temporary folder, removed by the destructor
    std::string HostPath(const std::string& windowsPath) const;  // "" when not mappable
    void WriteFile(const std::string& windowsPath, const std::string& content);
    std::string ReadFile(const std::string& windowsPath) const;
    bool Exists(const std::string& windowsPath) const;
    void MakeDirectory(const std::string& windowsPath);
    // Attribute bits the host cannot hold (read-only for root, compressed,
    // encrypted, hidden): added to what the file system reports.
    void SetExtraAttributes(const std::string& windowsPath, DWORD bits);
    // A file opened elsewhere without sharing: writes, copies and deletes fail.
    void LockFile(const std::string& windowsPath) { lockedFiles.insert(windowsPath); }
    std::set<std::string> lockedFiles;  // Windows paths, compared case-insensitively
    // A folder the user may read but not change (a protected or write-protected
    // location): creating, writing or deleting anything at or below it fails
    // with ERROR_ACCESS_DENIED.
    void ProtectFolder(const std::string& windowsPath) { readOnlyFolders.insert(windowsPath); }
    std::set<std::string> readOnlyFolders;
    // Bytes the disk still takes through WriteFile (-1: no limit). A write
    // beyond them stores what fits and succeeds short, as a full disk may.
    long long diskRoom = -1;
    // The longest file or key path any call received (the trace and setup
    // logs included), so tests can check the path limit held.
    std::size_t longestPath = 0;
    int openFinds = 0;
    int openFiles = 0;

    // ---- registry ----------------------------------------------------------
    std::shared_ptr<FakeRegNode> hklm;
    std::shared_ptr<FakeRegNode> FindKey(const std::string& path) const;  // below HKLM
    std::shared_ptr<FakeRegNode> MakeKey(const std::string& path, bool isVolatile = false);
    void SetValue(const std::string& keyPath, const std::string& name, DWORD type,
                  const std::string& bytes);
    void SetString(const std::string& keyPath, const std::string& name, const std::string& text) {
        SetValue(keyPath, name, REG_SZ, text + std::string(1, '\0'));
    }
    int openKeys = 0;
    int peakOpenKeys = 0;  // most keys open at one time

    // ---- tokens and privileges ---------------------------------------------
    std::set<std::string> heldPrivileges = {"SeBackupPrivilege", "SeRestorePrivilege"};
    std::set<std::string> enabledPrivileges;
    int openTokens = 0;
    int localAllocs = 0;

    // ---- event logs --------------------------------------------------------
    std::set<std::string> eventLogs = {"System", "Application", "Security"};
    int openEventLogs = 0;

    // ---- windows -----------------------------------------------------------
    struct FakeWindow {
        int id = 0;
        std::string cls;  // "Static", "Button", "Edit", "msctls_progress32", "#32770"
        std::string text;
        bool enabled = true;
        int rangeMin = 0, rangeMax = 100, position = 0, step = 10;  // progress bars
        int textLimit = 0;
        // The dialog model: windows built from the program's templates.
        DWORD style = WS_VISIBLE;
        DWORD exStyle = 0;
        int x = 0, y = 0, cx = 0, cy = 0;  // dialog units
        HWND parent = nullptr;             // a control's dialog
        HWND owner = nullptr;              // a dialog's owner window
        int templateId = 0;                // dialogs only
        DLGPROC proc = nullptr;
        bool ended = false;
        INT_PTR result = 0;
        LONG_PTR msgResult = 0;
        HICON bigIcon = nullptr;
        HICON smallIcon = nullptr;
        bool iconic = false;
        bool visible() const { return (style & WS_VISIBLE) != 0; }
    };
    std::map<HWND, FakeWindow> windows;
    HWND AddWindow(int id, const std::string& cls, const std::string& text = "");
    FakeWindow& Window(HWND handle);
    // Running modal dialogs, innermost last, and what they left behind.
    std::vector<HWND> runningDialogs;
    HWND ActiveDialog() const;
    HWND DialogOf(int templateId) const;  // innermost running one, else null
    FakeWindow& Control(int templateId, int id);
    // The dialog and its controls as they were when it closed, by template.
    std::map<int, std::vector<FakeWindow>> closedDialogs;
    const FakeWindow& ClosedControl(int templateId, int id) const;
    FakeUser user;
    std::vector<FakeMessageBox> messageBoxes;
    std::vector<FakeOpenFile> openFileDialogs;
    std::vector<LRESULT> endSessionAnswers;
    std::function<INT_PTR(int templateId, HWND owner, DLGPROC proc, LPARAM param)> onDialogBox;
    std::function<int(HWND owner, const std::string& text, const std::string& caption, UINT type)>
        onMessageBox;
    std::vector<MSG> messageQueue;
    FakeScript onPeekMessage;

    int openCabinets = 0;  // FCICreate without FCIDestroy

    // ---- Platform: each area file of the fake defines its calls ----------
    GX_PLATFORM_CALLS(GX_OVERRIDE_CALL)

    // Used by the area files of the fake.
    void Log(const std::string& name, std::vector<std::string> args = {});
    // An injected failure of this call of `op`; `args` as the call log has them.
    bool Injected(FakeOp op, const std::vector<std::string>& args, DWORD* code);
    // The same, with its code as the last error.
    bool FailsNow(FakeOp op, const std::vector<std::string>& args);
    // The arguments of the call just logged.
    const std::vector<std::string>& LastArgs() const { return calls.back().args; }
    // Why a new file or folder cannot be made at `path` (0: it can); the
    // host path on success.
    DWORD RefuseNewEntry(const char* path, std::string* host);
    [[noreturn]] void Unexpected(const std::string& operation);

private:
    struct KeyHandle {
        std::shared_ptr<FakeRegNode> node;
        REGSAM access;
    };
    struct FindState {
        std::vector<WIN32_FIND_DATAA> entries;
        std::size_t next = 0;
    };
    struct FileState {
        std::string hostPath;
        bool canRead = false;
        bool canWrite = true;
        std::uint64_t position = 0;
    };
    struct SecurityBlock {
        std::shared_ptr<FakeRegNode> node;
        bool isAcl;
    };

    KeyHandle* Key(HKEY key);
    // The open file `handle` names, if it allows the transfer and no injected
    // failure stops it; else null with the last error set. *done becomes 0.
    FileState* Transfer(HANDLE handle, bool writing, DWORD size, DWORD* done);
    // A handle on `node` for `access`, unless the key's DACL refuses it.
    LONG NewKeyHandle(const std::shared_ptr<FakeRegNode>& node, REGSAM access, HKEY* result);
    // Closes a handle of `open`; a foreign one fails with ERROR_INVALID_HANDLE.
    template <class T>
    BOOL Release(std::set<T*>& open, T* handle, int* count) {
        if (open.erase(handle) == 0) {
            lastError_ = ERROR_INVALID_HANDLE;
            return FALSE;
        }
        delete handle;
        --*count;
        return TRUE;
    }
    std::shared_ptr<FakeRegNode> Walk(const std::shared_ptr<FakeRegNode>& from,
                                      const std::string& path, bool create, bool isVolatile,
                                      LONG* status, bool* created);
    std::shared_ptr<FakeRegNode> Base(HKEY root);
    bool IsLocked(const std::string& windowsPath) const;
    bool IsReadOnly(const std::string& windowsPath) const;
    void NotePath(const std::string& path) { longestPath = std::max(longestPath, path.size()); }
    DWORD HostAttributes(const std::string& hostPath) const;
    // The attributes of an entry that exists; else INVALID_FILE_ATTRIBUTES
    // with ERROR_FILE_NOT_FOUND as the last error.
    DWORD ExistingAttributes(const std::string& hostPath);
    std::string ResolveCase(const std::string& hostPath) const;

    HWND NewWindowHandle();
    HWND CreateDialogWindow(int templateId, HWND owner, DLGPROC proc);
    void DestroyDialog(HWND dialog);
    HWND ChildOf(HWND dialog, int id);
    LRESULT DeliverToDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT DispatchOne(const MSG& msg);
    bool DispatchQueued(HWND dialog);
    void ClickButton(HWND button);
    void Perform(const FakeUserAction& action, HWND dialog);
    void UserActsAt(FakeUserAction::Moment moment);
    FakeUserAction TakeAnswer(const std::string& what, FakeUserAction::Kind a, FakeUserAction::Kind b);
    void RecordFailure(const std::string& message);

    std::deque<FakeFault> faults_;  // a deque: Fail hands out references
    std::uintptr_t nextWindow_ = 0x10004;
    std::string failure_;  // an unexpected call inside a modal loop, reported when it unwinds
    DWORD lastError_ = 0;
    std::map<std::string, DWORD> extraAttributes_;  // lower-case host path -> bits
    std::set<KeyHandle*> keys_;
    std::set<FindState*> finds_;
    std::set<FileState*> files_;
    std::set<SecurityBlock*> securityBlocks_;
    std::set<std::string*> eventLogHandles_;
    int tokenTag_ = 0;
    DWORD tokenAccess_ = 0;  // of the last token opened
};

}  // namespace gx
