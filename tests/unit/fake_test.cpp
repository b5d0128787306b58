// The fake's own failure injection: a failure picks its calls by operation,
// arguments and count, and one that never fires is reported.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include "fake_fixture.h"
#include "platform/unique_handle.h"

using gx::FakeOp;

namespace {

// A test with the fixture's checks, run inside another test.
struct InnerTest : FakeTest {
    void TestBody() override {}
    using FakeTest::fake;
};

}  // namespace

TEST_F(FakeTest, InjectedFailurePicksItsCallAndReportsWhenItNeverFired) {
    fake.files().MakeDirectory("C:\\a");
    // The second creation of C:\a\y fails; other paths do not count.
    fake.Fail(FakeOp::CreateDirectoryA, gx::ERROR_DISK_FULL, 1, 1).WhenArg(0, "C:\\a\\y");
    EXPECT_TRUE(fake.CreateDirectoryA("C:\\a\\x", nullptr));
    EXPECT_TRUE(fake.CreateDirectoryA("C:\\a\\y", nullptr));
    fake.RemoveDirectoryA("C:\\a\\y");
    fake.SetLastError(0);
    EXPECT_FALSE(fake.CreateDirectoryA("C:\\a\\y", nullptr));
    EXPECT_EQ(fake.GetLastError(), gx::ERROR_DISK_FULL);
    EXPECT_FALSE(fake.files().Exists("C:\\a\\y"));
    EXPECT_TRUE(fake.CreateDirectoryA("C:\\a\\y", nullptr));
    EXPECT_EQ(fake.UnfiredFaults(), "");

    // Arguments that never come; an operation the fake cannot fail is
    // refused at once.
    fake.Fail(FakeOp::DeleteFileA, gx::ERROR_ACCESS_DENIED).WhenArg(0, "C:\\a\\z");
    EXPECT_THROW(fake.Fail(FakeOp::GetLocalTime, gx::ERROR_ACCESS_DENIED), std::logic_error);
    fake.Fail(FakeOp::RegSaveKeyA, gx::ERROR_ACCESS_DENIED).MayNotFire();
    fake.DeleteFileA("C:\\a\\x");
    EXPECT_EQ(fake.UnfiredFaults(),
              "injected failure of DeleteFileA (code 5, skip 0, with a condition) never fired\n");
    fake.ClearFaults();
}

TEST(FakeFixture, FailsATestWhoseInjectionNeverFired) {
    EXPECT_NONFATAL_FAILURE(
        {
            InnerTest inner;
            inner.fake.Fail(FakeOp::RegOpenKeyExA, gx::ERROR_ACCESS_DENIED).WhenArg(0, "Software\\Gathrix");
            gx::HKEY key = nullptr;
            inner.fake.RegOpenKeyExA(gx::HKEY_LOCAL_MACHINE, "Software\\Other", 0, gx::KEY_READ, &key);
        },
        "injected failure of RegOpenKeyExA (code 5, skip 0, with a condition) never fired");
}

TEST_F(FakeTest, HandleHolderClosesThroughTheBoundaryOnce) {
    fake.registry().MakeKey("Software\\A");
    gx::UniqueRegKey key;
    ASSERT_EQ(fake.RegOpenKeyExA(gx::HKEY_LOCAL_MACHINE, "Software\\A", 0, gx::KEY_READ, key.put()), 0);
    // A second open into the same holder closes the first key.
    ASSERT_EQ(fake.RegOpenKeyExA(gx::HKEY_LOCAL_MACHINE, "Software\\A", 0, gx::KEY_READ, key.put()), 0);
    EXPECT_EQ(fake.OpenHandles(), "key A\n");
    gx::UniqueRegKey moved = std::move(key);
    EXPECT_FALSE(key);
    moved = gx::UniqueRegKey();
    EXPECT_EQ(fake.OpenHandles(), "");
}
