// The real gathrix.exe started from a folder of 250 characters with a
// command line of 10,000: it starts, runs its dialog and ends, writes no log
// it cannot place, and never reaches the log of another installation.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "wine_support.h"

using namespace winetest;

namespace {

TEST(HostileExe, AFolderOf250CharactersAndACommandLineOf10000StartEndAndWriteNothingElsewhere) {
    ScratchFolder root("deep");
    std::string folder = root.path();
    for (char part = 'a'; folder.size() < 250; ++part)
        folder += "\\" + std::string(std::min<std::size_t>(100, 250 - folder.size() - 1), part);
    ASSERT_EQ(folder.size(), 250u);
    MakeFolders(folder + "\\CollectInfo");
    ASSERT_TRUE(Exists(folder + "\\CollectInfo"));
    // The log of another installation in the parent folder, where a cut
    // executable path would lead.
    const std::string parent = folder.substr(0, folder.rfind('\\'));
    MakeFolders(parent + "\\CollectInfo");
    ASSERT_TRUE(WriteFile(parent + "\\CollectInfo\\gathrix.log", "another installation\r\n"));

    const std::string exe = folder + "\\gathrix.exe";  // 262 characters: the platform cuts its own path
    ASSERT_TRUE(CopyFileA(ProductExe().c_str(), exe.c_str(), FALSE)) << GetLastError();
    const std::string filler(10000 - 24, 'z');
    for (const std::string& arguments : {filler, filler + " CORVANE NET PC SOFTWARE"}) {
        // Started by its name from its own folder, since CreateProcessA
        // refuses an application path of 262 characters.
        char previous[MAX_PATH] = {};
        GetCurrentDirectoryA(MAX_PATH, previous);
        ASSERT_TRUE(SetCurrentDirectoryA(folder.c_str()));
        RunResult run = RunAndCancel("gathrix.exe", arguments, folder);
        SetCurrentDirectoryA(previous);
        ASSERT_TRUE(run.started);
        EXPECT_TRUE(run.exited);
        EXPECT_GT(run.dialogsClosed, 0);
        // The log path (274 characters) is refused, the other log untouched.
        EXPECT_FALSE(Exists(folder + "\\CollectInfo\\gathrix.log"));
        EXPECT_EQ(ReadFile(parent + "\\CollectInfo\\gathrix.log"), "another installation\r\n");
    }
}

}  // namespace
