// The run journal: what a restart learns from it, a torn last record after a power cut, damage
// reported and never written over, and changes the states do not allow.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "core/ProgramText.h"
#include "merge/RunJournal.h"

using namespace quillory;
using std::chrono::sys_seconds;

namespace {

sys_seconds At(long seconds) { return sys_seconds(std::chrono::seconds(1'765'400'000 + seconds)); }

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void WriteAll(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

class RunJournalTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = std::filesystem::temp_directory_path() /
                  ("quillory-journal-" + std::to_string(::getpid()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(folder_);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    // Five rows, the fourth left out by the user.
    RunJournal NewRun() {
        return RunJournal::Create(folder_ / "Hromadné",
                                  {{"jan@example.cz"},
                                   {"eva@example.cz"},
                                   {"petr@example.cz"},
                                   {"nechci@example.cz", true},
                                   {"zofie@example.cz"}},
                                  At(0));
    }

    std::filesystem::path folder_;
};

TEST_F(RunJournalTest, ARestartNeverSendsADeliveredRowAgainAndAsksAboutTheOneInFlight) {
    std::filesystem::path path;
    {
        RunJournal journal = NewRun();
        path = journal.Path();
        EXPECT_EQ(path.filename(), "hromadne-odeslani-20251210-205320.denik");
        journal.Sending(0, At(1));
        journal.Delivered(0, At(2), "250 2.0.0 Ok: queued as 4F2A1");
        journal.Sending(1, At(3));
        journal.Retry(1, At(4), "451 4.7.1 Try again later");
        journal.Failed(2, At(5), "550 5.1.1 <petr@example.cz>: Recipient address rejected");
        journal.Sending(1, At(6));
        journal.Delivered(1, At(7), "250 Ok\nsecond line \\ with a backslash\x01");
        journal.Sending(4, At(8));
        // killed here: the dot may have gone out, the reply was never recorded
    }
    const RunJournal resumed = RunJournal::Open(path);
    const JournalState& state = resumed.State();
    ASSERT_EQ(state.rows.size(), 5u);
    EXPECT_EQ(state.created, At(0));
    EXPECT_EQ(state.rows[0].state, RowState::Delivered);
    EXPECT_EQ(state.rows[0].reply, "250 2.0.0 Ok: queued as 4F2A1");
    EXPECT_EQ(state.rows[0].time, At(2));
    EXPECT_EQ(state.rows[1].state, RowState::Delivered);
    EXPECT_EQ(state.rows[1].reply, "250 Ok\nsecond line \\ with a backslash\x01");
    EXPECT_EQ(state.rows[2].state, RowState::Failed);
    EXPECT_EQ(state.rows[2].address, "petr@example.cz");
    EXPECT_EQ(state.rows[3].state, RowState::Skipped);
    EXPECT_EQ(state.rows[4].state, RowState::Sending);
    EXPECT_EQ(state.maybeSent, 4u);
    EXPECT_TRUE(state.ToSend().empty());
    EXPECT_FALSE(state.Finished());
    EXPECT_EQ(state.durableLength, std::filesystem::file_size(path));
}

TEST_F(RunJournalTest, TheUsersDecisionOnTheRowInFlightIsKept) {
    std::filesystem::path path;
    {
        RunJournal journal = NewRun();
        path = journal.Path();
        journal.Sending(0, At(1));
        // The run cannot go on past a row in flight until the user has decided.
        EXPECT_THROW(journal.Sending(1, At(2)), Exception);
    }
    {
        RunJournal journal = RunJournal::Open(path);
        journal.SendAgain(0, At(3));
        EXPECT_EQ(journal.State().ToSend(), (std::vector<std::size_t>{0, 1, 2, 4}));
        journal.Sending(0, At(4));
    }
    {
        RunJournal journal = RunJournal::Open(path);
        EXPECT_EQ(journal.State().maybeSent, 0u);
        journal.ConfirmDelivered(0, At(5));
        EXPECT_FALSE(journal.State().maybeSent);
    }
    const JournalState state = RunJournal::Open(path).State();
    EXPECT_EQ(state.rows[0].state, RowState::Delivered);
    EXPECT_TRUE(state.rows[0].byUser);
    EXPECT_EQ(state.ToSend(), (std::vector<std::size_t>{1, 2, 4}));
}

TEST_F(RunJournalTest, ChangesTheStateDoesNotAllowAreRefusedAndNotWritten) {
    RunJournal journal = NewRun();
    journal.Sending(0, At(1));
    journal.Delivered(0, At(2), "250 Ok");
    const std::string before = ReadAll(journal.Path());
    EXPECT_THROW(journal.Sending(0, At(3)), Exception);           // never twice
    EXPECT_THROW(journal.SendAgain(0, At(3)), Exception);         // nor by a decision
    EXPECT_THROW(journal.Delivered(1, At(3), "250"), Exception);  // no reply without a dot
    EXPECT_THROW(journal.Sending(3, At(3)), Exception);           // skipped
    EXPECT_THROW(journal.Sending(5, At(3)), Exception);           // no such row
    EXPECT_EQ(ReadAll(journal.Path()), before);
    journal.SendAgain(3, At(4));  // ticked again
    EXPECT_EQ(journal.State().ToSend(), (std::vector<std::size_t>{1, 2, 3, 4}));
}

// A power cut while a change was being appended leaves any prefix of its line, or its line with
// garbage: the change never counted (its method had not returned), the journal is read as before it,
// and the next change starts on a line of its own.
TEST_F(RunJournalTest, ATornLastRecordIsDroppedWhateverPartOfItReachedTheDisk) {
    std::filesystem::path path;
    std::size_t before = 0;
    {
        RunJournal journal = NewRun();
        path = journal.Path();
        journal.Sending(0, At(1));
        before = journal.State().durableLength;
        journal.Delivered(0, At(2), "250 Ok");
    }
    const std::string whole = ReadAll(path);
    std::vector<std::string> tails;
    for (std::size_t cut = before; cut < whole.size(); ++cut) tails.push_back(whole.substr(0, cut));
    tails.push_back(whole.substr(0, before) + std::string(12, '\0'));
    tails.push_back(whole.substr(0, whole.size() - 3) + "X" + whole.substr(whole.size() - 2));  // bit rot
    for (const std::string& torn : tails) {
        WriteAll(path, torn);
        {
            RunJournal journal = RunJournal::Open(path);
            EXPECT_EQ(journal.State().maybeSent, 0u) << torn.size();
            EXPECT_EQ(std::filesystem::file_size(path), before);
            journal.Delivered(0, At(3), "250 Ok");
        }
        EXPECT_EQ(RunJournal::Open(path).State().rows[0].state, RowState::Delivered);
    }
}

// Anything else that is not as written is damage: the reader says which file and where, and the
// file stays byte for byte as it was.
TEST_F(RunJournalTest, ADamagedJournalIsReportedWithItsPathAndLeftAlone) {
    std::filesystem::path path;
    {
        RunJournal journal = NewRun();
        path = journal.Path();
        journal.Sending(0, At(1));
        journal.Delivered(0, At(2), "250 Ok");
        journal.Sending(1, At(3));
        journal.Failed(1, At(4), "554 5.7.1 Rejected");
    }
    const std::string whole = ReadAll(path);
    const auto replaced = [&whole](const std::string& from, const std::string& to) {
        std::string bytes = whole;
        const std::size_t at = bytes.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        return bytes.replace(at, from.size(), to);
    };
    const auto lineOf = [&whole](const std::string& text) {
        std::string prefix = whole.substr(0, whole.find(text));
        return std::to_string(std::count(prefix.begin(), prefix.end(), '\n') + 1);
    };
    struct Case {
        std::string bytes;
        std::string line;
    };
    const std::string secondDelivery = JournalLine("DELIVERED 0 1765400005 250 Ok");
    const Case cases[] = {
        {"", "1"},
        {replaced("QUILLORY-MERGE-JOURNAL 1 5", "QUILLORY-MERGE-JOURNAL 1 6"), "1"},  // CRC
        {replaced("TO-SEND eva@", "TO-SEND eva#"), lineOf("TO-SEND eva@")},           // a row
        {whole.substr(0, whole.find("ROW 2") - 9), lineOf("ROW 2")},                  // rows cut
        {replaced("DELIVERED 0", "DELIVERED 1"), lineOf("DELIVERED 0")},              // CRC mid
        {replaced("\n", "\r\n"), "1"},
        {whole + secondDelivery,
         std::to_string(std::count(whole.begin(), whole.end(), '\n') + 1)},  // CRC intact
        {replaced(JournalLine("FAILED 1 1765400004 554 5.7.1 Rejected"), secondDelivery), lineOf("FAILED 1")},
    };
    for (const Case& test : cases) {
        WriteAll(path, test.bytes);
        try {
            RunJournal::Open(path);
            ADD_FAILURE() << "read as whole: " << test.bytes;
        } catch (const EJournalDamaged& error) {
            const std::string message = ProgramTextToUtf8(error.Message());
            EXPECT_NE(message.find("„" + path.string() + "“"), std::string::npos) << message;
            EXPECT_NE(message.find("na řádku " + test.line + " "), std::string::npos) << message;
        }
        EXPECT_EQ(ReadAll(path), test.bytes);
    }
}

// What the reader would take for damage is not written: a row to send needs an address; a row left
// out may have none.
TEST_F(RunJournalTest, ARowToSendWithoutAnAddressMakesNoJournal) {
    EXPECT_THROW(RunJournal::Create(folder_, {{"jan@example.cz"}, {""}}, At(0)), EJournalError);
    EXPECT_TRUE(RunJournal::List(folder_).empty());
    const RunJournal journal = RunJournal::Create(folder_, {{"jan@example.cz"}, {"", true}}, At(0));
    EXPECT_EQ(ParseJournal(ReadAll(journal.Path()), journal.Path()).rows.size(), 2u);
}

TEST_F(RunJournalTest, OneWriterAtATimeAndNoJournalReplaced) {
    RunJournal first = NewRun();
    EXPECT_THROW(RunJournal::Open(first.Path()), EJournalError);
    const RunJournal second = NewRun();  // the same second: a name of its own
    EXPECT_EQ(second.Path().filename(), "hromadne-odeslani-20251210-205320 (2).denik");
    EXPECT_EQ(RunJournal::List(folder_ / "Hromadné").size(), 2u);
    EXPECT_EQ(std::filesystem::status(folder_ / "Hromadné").permissions(), std::filesystem::perms::owner_all);
}

}  // namespace
