// The merge run killed (SIGKILL) at random moments of a 50-row run and taken up again each time,
// against aiosmtpd: every recipient gets the message once, none is skipped, and each kill leaves
// at most one "možná odesláno" row, which the test settles as the user would, by asking the
// server whether it took the message. The killed process is the merge run's driver
// (tests/merge/driver), the engine the window runs.
//
// Each kill comes at a random one of these moments: at once (the driver starting, making or opening
// the journal), once the server has seen the driver connect (the login), or once the server took
// a message from it (around a final dot); so 100 kills fit in the 50 rows. 20 kills
// here; QUILLORY_MERGE_KILLS=100 (or any count) for a longer run by hand.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "NetTestSupport.h"
#include "ServerEvents.h"
#include "merge/RunJournal.h"

namespace quillory {
namespace {

constexpr int kRows = 50;

// Starts the driver with its output dropped; its process id.
pid_t StartDriver(const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, STDOUT_FILENO);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    return pid;
}

int WaitFor(pid_t pid) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    return status;
}

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

TEST(MergeRunKillTest, AKilledRunResumedEachTimeDeliversEveryRowOnce) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("quillory-merge-kill-" + std::to_string(::getpid()));
    std::filesystem::remove_all(folder);
    test::ChildProcess server({"/usr/bin/python3", test::SupportScript("net_aiosmtpd_server.py"), "novak",
                               "heslo", "--connections", "--closings", "--ports"});
    const std::string ready = server.ReadLine(20000);
    ASSERT_EQ(ready.rfind("ready ", 0), 0u) << ready;
    const std::string port = ready.substr(6);
    test::ServerEvents events([&server](int timeoutMs) { return server.ReadLine(timeoutMs); },
                              std::stoi(port));

    const char* wanted = std::getenv("QUILLORY_MERGE_KILLS");
    const int kills = wanted ? std::atoi(wanted) : 20;
    std::mt19937 random(::testing::UnitTest::GetInstance()->random_seed());
    std::string decision;
    int killed = 0;
    int maybeSent = 0;
    int sentAgain = 0;
    // The "možná odesláno" row the last run left, settled as the user would after asking the server.
    const auto settle = [&] {
        decision.clear();
        const auto journals = RunJournal::List(folder);
        if (journals.empty()) return;
        const JournalState state = ParseJournal(ReadAll(journals.back()), journals.back());
        if (!state.maybeSent) return;
        ++maybeSent;
        decision = events.TakenFor(state.rows[*state.maybeSent].address) > 0 ? "arrived" : "again";
        sentAgain += decision == "again" ? 1 : 0;
    };
    const auto driver = [&] {
        std::vector<std::string> arguments = {QUILLORY_MERGE_RUN_DRIVER, folder.string(), port,
                                              std::to_string(kRows)};
        if (!decision.empty()) arguments.push_back(decision);
        return StartDriver(arguments);
    };

    for (int kill = 0; kill < kills && events.Taken().size() < kRows; ++kill) {
        // The moment: at once, once the driver has connected, or after one more message.
        const int moment = std::uniform_int_distribution<int>(0, 2)(random);
        const int after = std::min<int>(moment - 1, kRows - static_cast<int>(events.Taken().size()));
        const int messages = events.Messages();
        const int connections = events.Connections();
        const pid_t pid = driver();
        while (moment == 1 && events.Connections() == connections)
            ASSERT_TRUE(events.Next()) << "kill " << kill;
        while (events.Messages() - messages < after) ASSERT_TRUE(events.Next()) << "kill " << kill;
        ::kill(pid, SIGKILL);
        const int status = WaitFor(pid);
        killed += WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL ? 1 : 0;
        ASSERT_TRUE(events.Settle());
        const int maybeBefore = maybeSent;
        settle();
        EXPECT_LE(maybeSent - maybeBefore, 1);
    }
    // The last run goes to the end.
    const int status = WaitFor(driver());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    ASSERT_TRUE(events.Settle());

    std::map<std::string, int> once;
    for (int row = 1; row <= kRows; ++row) once["row" + std::to_string(row) + "@example.cz"] = 1;
    EXPECT_EQ(events.Taken(), once);
    const auto journals = RunJournal::List(folder);
    ASSERT_EQ(journals.size(), 1u);
    const JournalState state = ParseJournal(ReadAll(journals.front()), journals.front());
    for (const JournalRow& row : state.rows) EXPECT_EQ(row.state, RowState::Delivered) << row.address;
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(journals.front()).replace_extension(".csv")));
    EXPECT_GT(killed, 0);
    std::printf("%d kills of a running driver, %d 'možná odesláno' rows (%d sent again)\n", killed, maybeSent,
                sentAgain);
    server.Finish();
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace quillory
