// The Restart Manager: who holds the files whose copy failed (Vista and
// later; on older Windows the file only).
#include <string>
#include <vector>

#include "environment/action.h"
#include "files/file_table.h"
#include "findings/readers.h"
#include "findings/text.h"
#include "platform/constants.h"
#include "platform/platform.h"
#include "platform/unique_handle.h"

using namespace gx;

namespace findings {

namespace {

// Failed copies asked about: the Restart Manager costs a session each.
constexpr std::size_t kCopiesAsked = 20;

// rstrtmgr.dll by its full path in the system folder, never by bare name:
// the program runs with administrator rights.
class RestartManager {
public:
    RestartManager() {
        char folder[MAX_PATH] = {};
        const UINT length = os().GetSystemDirectoryA(folder, sizeof(folder));
        if (length == 0 || length >= sizeof(folder)) {
            reason_ = "the system folder is not known";
            return;
        }
        const std::string path = std::string(folder, length) + "\\rstrtmgr.dll";
        library_.reset(os().LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
        if (!library_) {
            reason_ = Error("the Restart Manager is not available (Windows before Vista)",
                            static_cast<long>(os().GetLastError()));
            return;
        }
        start_ = os().GetProcAddress(library_.get(), "RmStartSession");
        register_ = os().GetProcAddress(library_.get(), "RmRegisterResources");
        list_ = os().GetProcAddress(library_.get(), "RmGetList");
        end_ = os().GetProcAddress(library_.get(), "RmEndSession");
        if (start_ == nullptr || register_ == nullptr || list_ == nullptr || end_ == nullptr)
            reason_ = "the Restart Manager lacks a function";
    }

    // Who holds `file`; false with the reason when it cannot tell.
    bool Holders(const std::string& file, std::vector<Holder>* holders, std::string* reason) {
        if (!reason_.empty()) {
            *reason = reason_;
            return false;
        }
        DWORD session = 0;
        WCHAR key[CCH_RM_SESSION_KEY + 1] = {};
        DWORD status = os().Call_RmStartSession(start_, &session, 0, key);
        if (status != 0) {
            *reason = Error("no Restart Manager session", static_cast<long>(status));
            return false;
        }
        const std::u16string wide = Cp1252ToUtf16(file);
        const WCHAR* files[1] = {wide.c_str()};
        status = os().Call_RmRegisterResources(register_, session, 1, files, 0, nullptr, 0, nullptr);
        std::vector<RM_PROCESS_INFO> infos(4);
        for (int attempt = 0; status == 0 && attempt < 3; ++attempt) {
            UINT needed = 0;
            UINT count = static_cast<UINT>(infos.size());
            DWORD reasons = 0;
            status = os().Call_RmGetList(list_, session, &needed, &count, infos.data(), &reasons);
            if (status == static_cast<DWORD>(ERROR_MORE_DATA) && needed <= 1000) {
                infos.resize(needed + 2);  // the list may grow between the calls
                status = 0;
                continue;
            }
            if (status != 0) break;
            for (UINT i = 0; i < count && i < infos.size(); ++i)
                holders->push_back({infos[i].Process.dwProcessId, Utf16ToCp1252(infos[i].strAppName, 256)});
            os().Call_RmEndSession(end_, session);
            return true;
        }
        os().Call_RmEndSession(end_, session);
        *reason = Error("the Restart Manager did not answer", static_cast<long>(status));
        return false;
    }

private:
    UniqueLibrary library_;
    FARPROC start_ = nullptr, register_ = nullptr, list_ = nullptr, end_ = nullptr;
    std::string reason_;
};

}  // namespace

void ReadFailedCopies(const CAction& action, Facts& facts) {
    const RunRecord& record = action.m_Record;
    std::vector<FailedCopy> failed;
    for (int i = 0; i < kFileTableSize && i < static_cast<int>(record.rows.size()); ++i) {
        if (record.rows[i].outcome != ItemOutcome::Failed) continue;
        FailedCopy copy;
        copy.row = i + 1;
        copy.source = ComposeCollectedFilePaths(action, FileTable[i]).source;
        copy.code = record.rows[i].code;
        // A file listed in both groups fails twice: ask once.
        bool seen = false;
        for (const FailedCopy& other : failed) seen = seen || Lower(other.source) == Lower(copy.source);
        if (!seen && !copy.source.empty()) failed.push_back(std::move(copy));
    }
    if (failed.empty()) return;
    RestartManager manager;
    for (std::size_t i = 0; i < failed.size(); ++i) {
        if (i < kCopiesAsked) failed[i].asked = manager.Holders(failed[i].source, &failed[i].holders, &failed[i].askReason);
        else failed[i].askReason = "not asked: too many failed copies";
    }
    facts.failedCopies = std::move(failed);
}

}  // namespace findings
