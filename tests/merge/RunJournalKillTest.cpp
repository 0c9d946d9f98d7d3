// A journal's writer killed with SIGKILL at random moments and resumed each time: every change it
// had recorded (its method had returned) is read back after the kill, the journal is never found
// damaged, at most one row is in flight, and the killed writer's lock does not outlive it.
//
// QUILLORY_JOURNAL_KILLS sets the number of kills (30 by default); QUILLORY_JOURNAL_SEED replays a run.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <string>

#include "merge/RunJournal.h"

using namespace quillory;

namespace {

int EnvNumber(const char* name, int fallback) {
    const char* text = std::getenv(name);
    return text != nullptr && *text != '\0' ? std::atoi(text) : fallback;
}

std::chrono::sys_seconds Now() {
    return std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now());
}

// The child: goes on with the run, sends the row in flight again, and tells after each recorded
// change "S <row>" or "D <row>".
[[noreturn]] void Resume(const std::filesystem::path& path, int report) {
    try {
        RunJournal journal = RunJournal::Open(path);
        if (const auto row = journal.State().maybeSent) journal.SendAgain(*row, Now());
        for (const std::size_t row : journal.State().ToSend()) {
            journal.Sending(row, Now());
            const std::string sending = "S " + std::to_string(row) + "\n";
            if (::write(report, sending.data(), sending.size()) < 0) ::_exit(3);
            journal.Delivered(row, Now(), "250 2.0.0 Ok: queued");
            const std::string delivered = "D " + std::to_string(row) + "\n";
            if (::write(report, delivered.data(), delivered.size()) < 0) ::_exit(3);
        }
        ::_exit(0);
    } catch (...) {
        ::_exit(2);
    }
}

// Reads one report line; empty at the end of the pipe.
std::string ReadReport(int fd) {
    std::string line;
    char ch = 0;
    while (::read(fd, &ch, 1) == 1) {
        if (ch == '\n') return line;
        line += ch;
    }
    return line;
}

TEST(RunJournalKill, EveryRecordedChangeOutlivesAKillAndNoneIsDamaged) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("quillory-journal-kill-" + std::to_string(::getpid()));
    std::filesystem::remove_all(folder);
    const int kills = EnvNumber("QUILLORY_JOURNAL_KILLS", 30);
    // Enough rows that the run outlasts the kills: a writer gets a few rows further each time.
    const std::size_t rowCount = 4 * static_cast<std::size_t>(kills) + 10;
    std::vector<RunJournal::NewRow> rows;
    for (std::size_t i = 0; i < rowCount; ++i)
        rows.push_back({"prijemce" + std::to_string(i) + "@example.cz"});
    const std::filesystem::path path = RunJournal::Create(folder, rows, Now()).Path();

    const unsigned seed =
        static_cast<unsigned>(EnvNumber("QUILLORY_JOURNAL_SEED", static_cast<int>(::getpid())));
    std::mt19937 random(seed);
    SCOPED_TRACE("QUILLORY_JOURNAL_SEED=" + std::to_string(seed));
    std::map<std::size_t, char> told;  // the last change each row's writer told of: 'S' or 'D'
    bool finished = false;
    for (int round = 0; round <= kills && !finished; ++round) {
        int pipe[2];
        ASSERT_EQ(::pipe(pipe), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(pipe[0]);
            Resume(path, pipe[1]);
        }
        ::close(pipe[1]);
        const bool kill = round < kills;
        const int reports = kill ? static_cast<int>(random() % 6) : -1;
        for (int i = 0; reports < 0 || i < reports; ++i) {
            const std::string report = ReadReport(pipe[0]);
            if (report.empty()) break;
            told[std::stoul(report.substr(2))] = report[0];
        }
        if (kill) ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ::close(pipe[0]);
        if (!kill) {
            ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        }

        const JournalState state = RunJournal::Open(path).State();  // never damaged, never locked
        std::size_t inFlight = 0;
        for (std::size_t row = 0; row < rowCount; ++row) {
            const RowState now = state.rows[row].state;
            if (now == RowState::Sending) ++inFlight;
            const auto it = told.find(row);
            if (it == told.end()) continue;
            if (it->second == 'D') {
                ASSERT_EQ(now, RowState::Delivered) << row;
            }
        }
        ASSERT_LE(inFlight, 1u);
        ASSERT_EQ(state.maybeSent.has_value(), inFlight == 1);
        finished = state.Finished();
    }
    EXPECT_TRUE(finished);
    const JournalState last = RunJournal::Open(path).State();
    for (const JournalRow& row : last.rows) EXPECT_EQ(row.state, RowState::Delivered);
    std::filesystem::remove_all(folder);
}

}  // namespace
