// Writers of the block files and the INI file killed with SIGKILL at random moments: every file
// must hold one whole version afterwards, and the killed writers' temporary files must not pile up.
//
// The test command runs about 100 kills; QUILLORY_CRASH_KILLS sets another number (the full run
// uses 1000) and QUILLORY_CRASH_SEED replays a run.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <set>
#include <string>
#include <thread>

#include "crash/CrashSave.h"
#include "storage/AtomicFile.h"

extern char** environ;

namespace quillory::test {
namespace {

using TClock = std::chrono::steady_clock;

std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

int EnvNumber(const char* name, int fallback) {
    const char* text = std::getenv(name);
    return text != nullptr && *text != '\0' ? std::atoi(text) : fallback;
}

class TScratchFolder {
public:
    explicit TScratchFolder(const std::string& name) {
        std::string pattern = (std::filesystem::temp_directory_path() / (name + "-XXXXXX")).string();
        if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
    }
    ~TScratchFolder() {
        std::error_code ignored;
        if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
    }
    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

// The writer process: started with its standard output on a pipe, killed when the object goes.
class TWriter {
public:
    explicit TWriter(const std::filesystem::path& folder) {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0) return;
        posix_spawn_file_actions_t actions;
        ::posix_spawn_file_actions_init(&actions);
        ::posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
        const std::string program = QUILLORY_CRASH_WRITER;
        const std::string argument = folder.string();
        char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>(argument.c_str()), nullptr};
        if (::posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv, environ) != 0) pid_ = -1;
        ::posix_spawn_file_actions_destroy(&actions);
        ::close(fds[1]);
        progress_ = fds[0];
    }
    ~TWriter() {
        Kill();
        if (progress_ >= 0) ::close(progress_);
    }
    bool Started() const { return pid_ > 0; }

    // Waits until the writer reports one more whole save; false when it ended instead.
    bool AwaitSave() {
        char byte = 0;
        for (;;) {
            const ssize_t got = ::read(progress_, &byte, 1);
            if (got < 0 && errno == EINTR) continue;
            return got == 1;
        }
    }
    void Kill() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGKILL);
        int status = 0;
        while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {}
        pid_ = -1;
    }

private:
    pid_t pid_ = -1;
    int progress_ = -1;
};

int CountTemporaries(const std::filesystem::path& folder) {
    std::set<std::string> prefixes;
    for (const std::string& name : SavedFileNames()) prefixes.insert(TemporaryNamePrefix(name));
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        for (const std::string& prefix : prefixes) count += name.starts_with(prefix) ? 1 : 0;
    }
    return count;
}

TEST(CrashSafety, KilledWritersLeaveEveryFileWholeAndNoTemporariesPilingUp) {
    const int kills = EnvNumber("QUILLORY_CRASH_KILLS", 100);
    const unsigned seed =
        static_cast<unsigned>(EnvNumber("QUILLORY_CRASH_SEED", static_cast<int>(std::random_device()())));
    std::mt19937 random(seed);

    // What each file holds after a whole save of each version.
    std::map<std::string, std::set<std::string>> versions;
    for (int version = 0; version < 2; ++version) {
        const TScratchFolder reference("quillory-crash-reference");
        ASSERT_FALSE(reference.Path().empty());
        SaveVersion(reference.Path(), version);
        for (const std::string& name : SavedFileNames())
            versions[name].insert(ReadBytes(reference.Path() / name));
    }

    const TScratchFolder folder("quillory-crash");
    ASSERT_FALSE(folder.Path().empty());
    SaveVersion(folder.Path(), 1);

    // How long one save takes, so that the kills fall anywhere inside a save.
    TClock::duration saveTime{};
    {
        TWriter writer(folder.Path());
        ASSERT_TRUE(writer.Started());
        ASSERT_TRUE(writer.AwaitSave());
        const auto start = TClock::now();
        for (int n = 0; n < 4; ++n) ASSERT_TRUE(writer.AwaitSave());
        saveTime = (TClock::now() - start) / 4;
    }
    const auto saveMicros =
        std::max<long>(1, std::chrono::duration_cast<std::chrono::microseconds>(saveTime).count());

    int wholeSaves = 0;
    int filesChecked = 0;
    int tornFiles = 0;
    int killsLeavingTemporaries = 0;
    int mostTemporaries = 0;
    for (int kill = 0; kill < kills; ++kill) {
        {
            TWriter writer(folder.Path());
            ASSERT_TRUE(writer.Started());
            // Zero to two whole saves, then a moment anywhere in the next one.
            const int saves = std::uniform_int_distribution<int>(0, 2)(random);
            for (int save = 0; save < saves; ++save)
                ASSERT_TRUE(writer.AwaitSave()) << "the writer ended by itself";
            wholeSaves += saves;
            std::this_thread::sleep_for(
                std::chrono::microseconds(std::uniform_int_distribution<long>(0, saveMicros)(random)));
        }
        for (const std::string& name : SavedFileNames()) {
            ++filesChecked;
            if (versions[name].count(ReadBytes(folder.Path() / name)) == 0) {
                ++tornFiles;
                ADD_FAILURE() << name << " holds neither version after kill " << kill << " (seed " << seed
                              << ")";
            }
        }
        const int temporaries = CountTemporaries(folder.Path());
        killsLeavingTemporaries += temporaries > 0 ? 1 : 0;
        mostTemporaries = std::max(mostTemporaries, temporaries);
    }

    // A normal save after the last kill takes every leftover away.
    SaveVersion(folder.Path(), 0);
    const int temporariesLeft = CountTemporaries(folder.Path());

    std::printf(
        "crash test (seed %u): %d kills after %d whole saves, %d files checked, %d torn, %d kills left "
        "temporary files (at most %d at once), %d temporary files left after the next save; a save "
        "takes %ld us\n",
        seed, kills, wholeSaves, filesChecked, tornFiles, killsLeavingTemporaries, mostTemporaries,
        temporariesLeft, saveMicros);
    EXPECT_EQ(tornFiles, 0);
    // Each target has at most the one temporary file of the writer killed last: the next save of
    // that target removes it.
    EXPECT_LE(mostTemporaries, static_cast<int>(SavedFileNames().size()));
    EXPECT_EQ(temporariesLeft, 0);
    // The kills did fall between creating a temporary file and renaming it.
    EXPECT_GT(killsLeavingTemporaries, 0);
}

}  // namespace
}  // namespace quillory::test
