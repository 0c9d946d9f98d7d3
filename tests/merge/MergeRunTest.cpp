// The merge run against real peers: an aiosmtpd that records every connection, login and
// message, and a scripted SMTP server that refuses one message for a limit, a retry or a
// recipient. Time is the tests' own clock, which moves on at once, so no test waits.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>
#include <map>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "NetTestSupport.h"
#include "RefusingServer.h"
#include "core/Win1250.h"
#include "delivery/DeliverySession.h"
#include "mail/IdMessage.h"
#include "merge/ComposeRow.h"
#include "merge/MergeRun.h"
#include "merge/RunReport.h"

namespace quillory {
namespace {

using namespace std::chrono_literals;
using Clock = MergeClock::Clock;
using Lines = std::vector<std::string>;

const Clock::time_point kStart = Clock::from_time_t(1'765'440'000);  // 2025-12-11 08:00:00 UTC

// Time that moves on to the end of every wait at once; the waits are kept.
class FakeClock : public MergeClock {
public:
    Clock::time_point Now() override {
        const std::lock_guard lock(mutex_);
        return now_;
    }
    void WaitUntil(Clock::time_point until) override {
        const std::lock_guard lock(mutex_);
        if (until <= now_) return;
        waits_.push_back(until - now_);
        now_ = until;
    }
    void Wake() override {}
    std::vector<Clock::duration> Waits() {
        const std::lock_guard lock(mutex_);
        return waits_;
    }

private:
    std::mutex mutex_;
    Clock::time_point now_ = kStart;
    std::vector<Clock::duration> waits_;
};

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

Lines Words(const std::string& line) {
    std::istringstream in(line);
    return {std::istream_iterator<std::string>(in), {}};
}

// The events of a recording aiosmtpd up to its end: "connected", "login …", and the recipients of
// each message as "message RCPT".
Lines Events(test::ChildProcess& server) {
    server.Finish();
    Lines events;
    for (std::string line = server.ReadLine(10000); !line.empty(); line = server.ReadLine(10000)) {
        const Lines words = Words(line);
        events.push_back(words[0] == "message" ? "message " + words.at(4) : line);
    }
    return events;
}

class MergeRunTest : public ::testing::Test {
protected:
    MergeRunTest() {
        folder_ = std::filesystem::temp_directory_path() /
                  ("quillory-merge-run-" + std::to_string(::getpid()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(folder_);
        account_.readTimeoutMs = 10000;
        account_.replyTimeLimitMs = 20000;
        account_.sentCopy.localArchive = false;
    }
    ~MergeRunTest() override { std::filesystem::remove_all(folder_); }

    RunJournal NewJournal(std::size_t rows = 5) {
        std::vector<RunJournal::NewRow> newRows;
        for (std::size_t i = 1; i <= rows; ++i)
            newRows.push_back({"buyer" + std::to_string(i) + "@example.cz"});
        return RunJournal::Create(folder_, newRows, std::chrono::floor<std::chrono::seconds>(kStart));
    }

    // The aiosmtpd taking the login novak / heslo.
    test::ChildProcess& StartAiosmtpd() {
        aiosmtpd_ = std::make_unique<test::ChildProcess>(
            Lines{"/usr/bin/python3", test::SupportScript("net_aiosmtpd_server.py"), "novak", "heslo",
                  "--connections", "--logins"});
        const std::string ready = aiosmtpd_->ReadLine(20000);
        EXPECT_EQ(ready.rfind("ready ", 0), 0u) << ready;
        account_.server = "127.0.0.1:" + ready.substr(ready.find(' ') + 1);
        account_.authenticate = true;
        account_.login = "novak";
        account_.password = "heslo";
        return *aiosmtpd_;
    }

    MergeRun::Compose Composer(const RunJournal& journal) {
        return [&journal](std::size_t row) {
            TIdMessage message;
            message.From().SetText("Obchod <novak@example.cz>");
            message.Recipients().SetAddressesText(journal.State().rows[row].address);
            message.Subject = "Ceník " + std::to_string(row + 1);
            message.Body() = {"Dobrý den,", "posíláme nový ceník.", "S pozdravem"};
            return message;
        };
    }

    static std::vector<RowState> States(const RunJournal& journal) {
        std::vector<RowState> states;
        for (const JournalRow& row : journal.State().rows) states.push_back(row.state);
        return states;
    }

    std::filesystem::path folder_;
    TSmtpAccount account_;
    FakeClock clock_;
    std::unique_ptr<test::ChildProcess> aiosmtpd_;
};

TEST_F(MergeRunTest, FiveRowsGoOverOneLoginAtThePaceAndTheReportListsEachWithTheServersReply) {
    test::ChildProcess& server = StartAiosmtpd();
    RunJournal journal = NewJournal();
    DeliverySession session(account_, folder_);
    // 30 a minute: one every two seconds.
    MergeRun run(journal, session, Pacer(SendingLimits{.messagesPerMinute = 30}), Composer(journal), clock_);
    std::vector<MergeProgress> progress;
    run.OnProgress = [&](const MergeProgress& step) { progress.push_back(step); };

    const MergeRunResult result = run.Run();
    session.Close();

    EXPECT_EQ(result.outcome, MergeOutcome::Finished);
    EXPECT_EQ(Events(server), (Lines{"connected", "login LOGIN novak", "message buyer1@example.cz",
                                     "message buyer2@example.cz", "message buyer3@example.cz",
                                     "message buyer4@example.cz", "message buyer5@example.cz"}));
    EXPECT_EQ(clock_.Waits(), (std::vector<Clock::duration>(4, 2s)));
    ASSERT_EQ(progress.size(), 6u);
    EXPECT_EQ(progress.front().remaining, 5u);
    EXPECT_GE(progress.front().estimatedEnd, kStart + 8s);
    EXPECT_EQ(progress.back().delivered, 5u);
    EXPECT_EQ(progress.back().remaining, 0u);
    EXPECT_FALSE(progress.back().waiting);

    const std::filesystem::path reportPath = WriteRunReport(journal);
    EXPECT_EQ(reportPath, folder_ / (journal.Path().stem().string() + ".csv"));
    const std::string report = ReadAll(reportPath);
    std::istringstream lines(report);
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line,
              "\xEF\xBB\xBF"
              "Adresa;Stav;Čas;Odpověď serveru\r");
    for (int i = 1; i <= 5; ++i) {
        ASSERT_TRUE(std::getline(lines, line));
        const std::string address = "buyer" + std::to_string(i) + "@example.cz";
        EXPECT_EQ(line.rfind(address + ";odesláno;", 0), 0u) << line;
        EXPECT_NE(line.find(";250 Message accepted\r"), std::string::npos) << line;
    }
    EXPECT_FALSE(std::getline(lines, line));
}

// The fourth message's final dot is refused once; what the run does then, by the reply.
struct RefusalCase {
    const char* name;
    const char* refusal;
    RowState fourthRow;
    int messages;  // final dots the server saw
    bool waited;
    SendingLimit limit;
    Clock::duration wait;
};

class MergeRunRefusalTest : public MergeRunTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(MergeRunRefusalTest, TheRunWaitsOrFailsTheRowAndDeliversEveryOtherMessageOnce) {
    const RefusalCase& c = GetParam();
    test::RefusingServer server(4, c.refusal);
    account_.server = "127.0.0.1:" + std::to_string(server.Port());
    RunJournal journal = NewJournal();
    DeliverySession session(account_, folder_);
    MergeRun run(journal, session, Pacer(SendingLimits{}), Composer(journal), clock_);
    std::vector<MergeProgress> waits;
    run.OnProgress = [&](const MergeProgress& step) {
        if (step.waiting) waits.push_back(step);
    };

    EXPECT_EQ(run.Run().outcome, MergeOutcome::Finished);
    session.Close();

    std::map<std::string, int> expected;
    for (int i = 1; i <= 5; ++i)
        if (i != 4 || c.fourthRow == RowState::Delivered)
            expected["<buyer" + std::to_string(i) + "@example.cz>"] = 1;
    EXPECT_EQ(server.Taken(), expected);
    EXPECT_EQ(server.Messages(), c.messages);
    EXPECT_EQ(States(journal),
              (std::vector<RowState>{RowState::Delivered, RowState::Delivered, RowState::Delivered,
                                     c.fourthRow, RowState::Delivered}));
    ASSERT_EQ(waits.size(), c.waited ? 1u : 0u);
    if (c.waited) {
        EXPECT_EQ(waits[0].limit, c.limit);
        EXPECT_EQ(waits[0].reason, c.refusal);
        EXPECT_EQ(waits[0].waitUntil, kStart + c.wait);
        EXPECT_EQ(clock_.Waits(), (std::vector<Clock::duration>{c.wait}));
        EXPECT_EQ(waits[0].remaining, 2u);
    } else {
        EXPECT_EQ(journal.State().rows[3].reply, c.refusal);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Replies, MergeRunRefusalTest,
    ::testing::Values(RefusalCase{"RateLimitPausesTheRunAMinute", "451 4.7.1 rate limit", RowState::Delivered,
                                  6, true, SendingLimit::Rate, 1min},
                      RefusalCase{"DailyLimitPausesTheRunADay", "550 5.4.5 Daily user sending limit exceeded",
                                  RowState::Delivered, 6, true, SendingLimit::Daily, 24h},
                      RefusalCase{"TemporaryRefusalRetriesTheRow", "451 4.3.0 Temporary local problem",
                                  RowState::Delivered, 6, true, SendingLimit::None, 30s},
                      RefusalCase{"UnknownRecipientFailsTheRowOnly", "550 5.1.1 No such user",
                                  RowState::Failed, 5, false, SendingLimit::None, 0s}),
    [](const ::testing::TestParamInfo<RefusalCase>& info) { return std::string(info.param.name); });

// A run killed with one row delivered and the next one's dot out: nothing goes until the user
// decides, and then no row is sent twice.
TEST_F(MergeRunTest, AResumedRunSendsNothingTwiceAndTheMaybeSentRowOnlyAsTheUserDecides) {
    for (const bool arrived : {true, false}) {
        SCOPED_TRACE(arrived ? "arrived" : "send again");
        std::filesystem::remove_all(folder_);
        test::ChildProcess& server = StartAiosmtpd();
        std::filesystem::path path;
        {
            RunJournal interrupted = NewJournal();
            path = interrupted.Path();
            interrupted.Sending(0, std::chrono::floor<std::chrono::seconds>(kStart));
            interrupted.Delivered(0, std::chrono::floor<std::chrono::seconds>(kStart),
                                  "250 Message accepted");
            interrupted.Sending(1, std::chrono::floor<std::chrono::seconds>(kStart));
        }
        RunJournal journal = RunJournal::Open(path);
        DeliverySession session(account_, folder_);
        MergeRun run(journal, session, Pacer(SendingLimits{}), Composer(journal), clock_);

        const MergeRunResult waiting = run.Run();
        EXPECT_EQ(waiting.outcome, MergeOutcome::MaybeSent);
        EXPECT_EQ(waiting.row, 1u);
        run.Decide(arrived);
        EXPECT_EQ(run.Run().outcome, MergeOutcome::Finished);
        session.Close();

        Lines expected = {"connected", "login LOGIN novak"};
        for (int i = arrived ? 3 : 2; i <= 5; ++i)
            expected.push_back("message buyer" + std::to_string(i) + "@example.cz");
        EXPECT_EQ(Events(server), expected);
        EXPECT_EQ(States(journal), std::vector<RowState>(5, RowState::Delivered));
        EXPECT_EQ(journal.State().rows[1].byUser, arrived);
        EXPECT_NE(RunReportCsv(journal.State())
                      .find(arrived ? "buyer2@example.cz;odesláno (potvrzeno uživatelem);"
                                    : "buyer2@example.cz;odesláno;"),
                  std::string::npos);
    }
}

// A row whose message cannot be made (its file went after the check) fails with the reason in
// the report, and the other rows still go, over the one login.
TEST_F(MergeRunTest, ARowWhoseMessageCannotBeMadeFailsAndTheRunGoesOn) {
    test::ChildProcess& server = StartAiosmtpd();
    RunJournal journal = NewJournal();
    DeliverySession session(account_, folder_);
    MergeRun::Compose compose = Composer(journal);
    MergeRun run(
        journal, session, Pacer(SendingLimits{}),
        [&compose](std::size_t row) {
            if (row == 2)
                throw ERowFileUnavailable(
                    Utf8ToWin1250("Soubor „faktura-3.pdf“ nelze přiložit: No such file"));
            return compose(row);
        },
        clock_);
    EXPECT_EQ(run.Run().outcome, MergeOutcome::Finished);
    session.Close();
    EXPECT_EQ(Events(server),
              (Lines{"connected", "login LOGIN novak", "message buyer1@example.cz",
                     "message buyer2@example.cz", "message buyer4@example.cz", "message buyer5@example.cz"}));
    EXPECT_EQ(States(journal),
              (std::vector<RowState>{RowState::Delivered, RowState::Delivered, RowState::Failed,
                                     RowState::Delivered, RowState::Delivered}));
    // The failed row's line in the report: its state, then (after the local time) the reason.
    const std::string report = RunReportCsv(journal.State());
    const std::size_t row = report.find("buyer3@example.cz;odmítnuto;");
    ASSERT_NE(row, std::string::npos) << report;
    const std::string line = report.substr(row, report.find("\r\n", row) - row);
    EXPECT_NE(line.find(";Soubor „faktura-3.pdf“ nelze přiložit: No such file"), std::string::npos) << line;
}

// Pause holds the run before its next message; Stop from another thread ends it, and a later run
// of the same journal sends the rest once.
TEST_F(MergeRunTest, PauseHoldsTheRunStopEndsItAndTheNextRunSendsTheRest) {
    test::ChildProcess& server = StartAiosmtpd();
    RunJournal journal = NewJournal();
    {
        DeliverySession session(account_, folder_);
        MergeRun run(journal, session, Pacer(SendingLimits{}), Composer(journal), clock_);
        std::promise<void> paused;
        run.OnProgress = [&](const MergeProgress& step) {
            if (step.delivered == 2) {
                run.Pause();
                paused.set_value();
            }
        };
        std::future<MergeRunResult> result = std::async(std::launch::async, [&] { return run.Run(); });
        paused.get_future().wait();
        // Both messages are at the server, and the paused run sends no third one before the stop.
        EXPECT_EQ(server.ReadLine(20000), "connected");
        EXPECT_EQ(server.ReadLine(20000), "login LOGIN novak");
        EXPECT_EQ(Words(server.ReadLine(20000)).at(4), "buyer1@example.cz");
        EXPECT_EQ(Words(server.ReadLine(20000)).at(4), "buyer2@example.cz");
        run.Stop();
        EXPECT_EQ(result.get().outcome, MergeOutcome::Stopped);
    }
    EXPECT_EQ(journal.State().ToSend(), (std::vector<std::size_t>{2, 3, 4}));

    DeliverySession session(account_, folder_);
    MergeRun run(journal, session, Pacer(SendingLimits{}), Composer(journal), clock_);
    run.Pause();
    std::promise<void> started;
    run.OnProgress = [&](const MergeProgress& step) {
        if (step.delivered == 2 && step.remaining == 3) started.set_value();
    };
    std::future<MergeRunResult> result = std::async(std::launch::async, [&] { return run.Run(); });
    started.get_future().wait();
    run.Resume();
    EXPECT_EQ(result.get().outcome, MergeOutcome::Finished);
    session.Close();
    EXPECT_EQ(Events(server), (Lines{"connected", "login LOGIN novak", "message buyer3@example.cz",
                                     "message buyer4@example.cz", "message buyer5@example.cz"}));
}

// A Stop while the server has a message's final dot but has not answered lets the answer come: the
// run stops with that row delivered and none in doubt. A Stop before the next message's dot sends
// nothing more.
TEST_F(MergeRunTest, AStopAfterTheFinalDotWaitsForTheAnswerAndLeavesNoRowInDoubt) {
    std::promise<void> dotTaken;
    std::promise<void> stopped;
    std::shared_future<void> stoppedSeen = stopped.get_future().share();
    int messages = 0;
    test::HostileServer server([&](test::HostileServer::Session& session) {
        session.Send("220 mail.example\r\n");
        std::string line;
        while (session.ReadLine(line)) {
            const std::string verb = line.substr(0, 4);
            if (verb == "QUIT") {
                session.Send("221 bye\r\n");
                break;
            }
            if (verb != "DATA") {
                session.Send(verb == "EHLO" ? "250 mail.example\r\n" : "250 ok\r\n");
                continue;
            }
            std::size_t bytes = 0;
            if (!session.Send("354 go\r\n") || !session.ReadData(bytes)) break;
            if (++messages == 2) {
                dotTaken.set_value();
                stoppedSeen.wait();
            }
            session.Send("250 2.0.0 queued as " + std::to_string(messages) + "\r\n");
        }
    });
    account_.server = "127.0.0.1:" + std::to_string(server.Port());
    RunJournal journal = NewJournal(3);
    {
        DeliverySession session(account_, folder_);
        MergeRun run(journal, session, Pacer(SendingLimits{}), Composer(journal), clock_);
        std::future<MergeRunResult> result = std::async(std::launch::async, [&] { return run.Run(); });
        dotTaken.get_future().wait();
        run.Stop();
        stopped.set_value();
        EXPECT_EQ(result.get().outcome, MergeOutcome::Stopped);
    }
    server.Join();
    EXPECT_EQ(messages, 2);
    EXPECT_EQ(States(journal),
              (std::vector<RowState>{RowState::Delivered, RowState::Delivered, RowState::ToSend}));
    EXPECT_EQ(journal.State().rows[1].reply, "250 2.0.0 queued as 2");
}

// A Stop during a wait on the system's clock ends the wait at once, long before its time.
TEST_F(MergeRunTest, AStopEndsAWaitOnTheSystemClockAtOnce) {
    StartAiosmtpd();
    RunJournal journal = NewJournal(2);
    DeliverySession session(account_, folder_);
    SystemMergeClock clock;
    MergeRun run(journal, session, Pacer(SendingLimits{.messagesPerHour = 1}), Composer(journal), clock);
    std::promise<void> delivered;
    run.OnProgress = [&](const MergeProgress& step) {
        if (step.delivered == 1) delivered.set_value();
    };
    std::future<MergeRunResult> result = std::async(std::launch::async, [&] { return run.Run(); });
    delivered.get_future().wait();
    run.Stop();
    // The pace would hold the second message for an hour; the test's own limit is far shorter.
    ASSERT_EQ(result.wait_for(60s), std::future_status::ready);
    EXPECT_EQ(result.get().outcome, MergeOutcome::Stopped);
    EXPECT_EQ(States(journal), (std::vector<RowState>{RowState::Delivered, RowState::ToSend}));
}

}  // namespace
}  // namespace quillory
