// Output files are replaced whole or not at all: a full disk keeps the old file and says why, a
// symbolic link keeps pointing at the new contents, and temporary files that a killed save left
// behind are cleared by the next save into the folder (only those, never a live writer's).
#include "common/cmcSafeFile.h"
#include "support/cmcTestSupport.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>

using namespace qx;
namespace fs = std::filesystem;

namespace {

std::string Folder(const std::string& name) {
    const std::string dir = test::TempDir() + "/" + name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

std::vector<std::string> Names(const std::string& dir) {
    std::vector<std::string> out;
    for (auto& e : fs::directory_iterator(dir)) out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
}

// Files may grow to `bytes` only, as on a disk that is full after that many: a write beyond
// fails with EFBIG instead of ending the process.
struct ScopedFileSizeLimit {
    rlimit old{};
    struct sigaction oldAction{};
    explicit ScopedFileSizeLimit(rlim_t bytes) {
        struct sigaction ignore{};
        ignore.sa_handler = SIG_IGN;
        sigaction(SIGXFSZ, &ignore, &oldAction);
        getrlimit(RLIMIT_FSIZE, &old);
        rlimit limit = old;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~ScopedFileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &old);
        sigaction(SIGXFSZ, &oldAction, nullptr);
    }
};

// A process number that no process has any more.
pid_t DeadPid() {
    const pid_t pid = fork();
    if (pid == 0) _exit(0);
    waitpid(pid, nullptr, 0);
    return pid;
}

}  // namespace

TEST(SafeFile, AFailedWriteKeepsTheOldFileAndSaysWhy) {
    const std::string dir = Folder("full");
    const std::string path = test::WriteFile(dir + "/plan.csv", "Location,Frequency\n1,446.006250\n");
    chmod(path.c_str(), 0640);
    const std::string big(64 * 1024, 'x');
    std::string error;
    {
        ScopedFileSizeLimit full(4096);
        EXPECT_FALSE(cmcWriteFileSafely(path, big, &error));
    }
    EXPECT_EQ(error, "Cannot write '" + path + "': " + std::strerror(EFBIG));
    EXPECT_EQ(test::ReadFile(path), "Location,Frequency\n1,446.006250\n");
    EXPECT_EQ(Names(dir), std::vector<std::string>{"plan.csv"}) << "a temporary file was left";

    // A device is written directly, and its failure is said too. It is reached through a link, so
    // that a writer that wrongly renamed a file over it replaces the link, never the device.
    const std::string device = dir + "/full";
    fs::create_symlink("/dev/full", device);
    EXPECT_FALSE(cmcWriteFileSafely(device, "data", &error));
    EXPECT_EQ(error, "Cannot write '" + device + "': " + std::strerror(ENOSPC));
    EXPECT_TRUE(fs::is_symlink(device));
    fs::remove(device);

    // Success replaces the contents and keeps the permissions.
    ASSERT_TRUE(cmcWriteFileSafely(path, big, &error)) << error;
    EXPECT_EQ(test::ReadFile(path), big);
    struct stat st;
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(SafeFile, ASymbolicLinkIsFollowedAndStaysALink) {
    const std::string dir = Folder("links");
    fs::create_directories(dir + "/real");
    test::WriteFile(dir + "/real/fleet.csv", "old");
    fs::create_symlink("real/fleet.csv", dir + "/relative.csv");
    fs::create_symlink(dir + "/relative.csv", dir + "/chain.csv");     // a link to a link
    fs::create_symlink("real/new.csv", dir + "/dangling.csv");         // points to nothing yet
    fs::create_symlink("loop-b", dir + "/loop-a");
    fs::create_symlink("loop-a", dir + "/loop-b");

    std::string error;
    ASSERT_TRUE(cmcWriteFileSafely(dir + "/chain.csv", "new", &error)) << error;
    EXPECT_TRUE(fs::is_symlink(dir + "/chain.csv"));
    EXPECT_TRUE(fs::is_symlink(dir + "/relative.csv"));
    EXPECT_EQ(test::ReadFile(dir + "/real/fleet.csv"), "new");

    ASSERT_TRUE(cmcWriteFileSafely(dir + "/dangling.csv", "created", &error)) << error;
    EXPECT_TRUE(fs::is_symlink(dir + "/dangling.csv"));
    EXPECT_EQ(test::ReadFile(dir + "/real/new.csv"), "created");

    EXPECT_FALSE(cmcWriteFileSafely(dir + "/loop-a", "x", &error));
    EXPECT_NE(error.find(std::strerror(ELOOP)), std::string::npos) << error;
}

TEST(SafeFile, TheNextSaveRemovesOnlyStaleTemporaryFiles) {
    const std::string dir = Folder("stale");
    const std::string dead = std::to_string(DeadPid());
    const std::string live = std::to_string(getpid());
    // Left by killed saves: of this target and of another file of the folder.
    test::WriteFile(dir + "/.fleet.qcf.qx-p2210.tmp-" + dead + "-0", "half");
    test::WriteFile(dir + "/.other.csv.qx-p2210.tmp-" + dead + "-3", "half");
    // Not stale: a writer that still runs, a locked file, and names of other patterns.
    test::WriteFile(dir + "/.fleet.qcf.qx-p2210.tmp-" + live + "-7", "being written");
    const std::string locked = test::WriteFile(dir + "/.locked.qx-p2210.tmp-" + dead + "-1", "held");
    const int lockFd = open(locked.c_str(), O_RDONLY);
    ASSERT_EQ(flock(lockFd, LOCK_EX), 0);
    test::WriteFile(dir + "/.fleet.qcf.qx-p2210.tmp-" + dead + "-1x", "not ours");
    test::WriteFile(dir + "/fleet.qcf.tmp", "not ours");

    std::string error;
    ASSERT_TRUE(cmcWriteFileSafely(dir + "/fleet.qcf", "saved", &error)) << error;
    close(lockFd);
    std::vector<std::string> kept = {".fleet.qcf.qx-p2210.tmp-" + dead + "-1x", ".fleet.qcf.qx-p2210.tmp-" + live + "-7",
                                     ".locked.qx-p2210.tmp-" + dead + "-1", "fleet.qcf", "fleet.qcf.tmp"};
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(Names(dir), kept);

    // The pattern itself.
    for (const char* name : {".a.qx-p2210.tmp-1-0", ".x.y.qx-p2210.tmp-123-45"})
        EXPECT_TRUE(cmcIsSafeFileTemporary(name)) << name;
    for (const char* name : {"a.qx-p2210.tmp-1-0", ".qx-p2210.tmp-1-0", ".a.qx-p2210.tmp-1", ".a.qx-p2210.tmp--0",
                             ".a.qx-p2210.tmp-1-", ".a.tmp-1-0"})
        EXPECT_FALSE(cmcIsSafeFileTemporary(name)) << name;
}
