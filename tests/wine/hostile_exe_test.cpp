// The real gathrix.exe started from deep folders with a command line of
// 10,000 characters: it starts, runs its dialog and ends, writes no log it
// cannot place, and never reaches the log of another installation.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "wine_support.h"

using namespace winetest;

namespace {

TEST(HostileExe, DeepFoldersAndACommandLineOf10000StartEndAndWriteNoLogAnywhere) {
    // 240: CollectInfo exists, but the log path (264) does not fit.
    // 250: the executable's own path (262) is cut by the platform, and
    // CollectInfo cannot even be created there.
    for (std::size_t length : {240u, 250u}) {
        SCOPED_TRACE(length);
        ScratchFolder root("deep");
        std::string folder = root.path();
        for (char part = 'a'; folder.size() < length; ++part)
            folder += "\\" + std::string(std::min<std::size_t>(100, length - folder.size() - 1), part);
        ASSERT_EQ(folder.size(), length);
        MakeFolders(folder + "\\CollectInfo");
        EXPECT_EQ(Exists(folder + "\\CollectInfo"), length == 240);
        // The log of another installation in the parent folder, where a cut
        // executable path would lead.
        const std::string parent = folder.substr(0, folder.rfind('\\'));
        EXPECT_TRUE(MakeFolders(parent + "\\CollectInfo"));
        ASSERT_TRUE(WriteFile(parent + "\\CollectInfo\\gathrix.log", "another installation\r\n"));
        ASSERT_TRUE(CopyFileA(ProductExe().c_str(), (folder + "\\gathrix.exe").c_str(), FALSE)) << GetLastError();

        const std::string filler(10000 - 24, 'z');
        for (const std::string& arguments : {filler, filler + " CORVANE NET PC SOFTWARE"}) {
            // Started by its name from its own folder: CreateProcessA refuses
            // an application path of 262 characters.
            char previous[MAX_PATH] = {};
            GetCurrentDirectoryA(MAX_PATH, previous);
            ASSERT_TRUE(SetCurrentDirectoryA(folder.c_str()));
            RunResult run = RunAndCancel("gathrix.exe", arguments, folder);
            SetCurrentDirectoryA(previous);
            ASSERT_TRUE(run.started);
            EXPECT_TRUE(run.exited);
            EXPECT_GT(run.dialogsClosed, 0);
            EXPECT_FALSE(Exists(folder + "\\CollectInfo\\gathrix.log"));
            EXPECT_EQ(ReadFile(parent + "\\CollectInfo\\gathrix.log"), "another installation\r\n");
        }
    }
}

}  // namespace
