// The plan of a mail merge: rows from the book's groups, picked entries and a CSV file, each
// greeted in the vocative; duplicates merged; each row's file; the check before sending; the
// finished message of a row and its trial; the plan kept beside the run's journal.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "core/ProgramText.h"
#include "core/Win1250.h"
#include "mail/IdMessage.h"
#include "mail/IdMessageClient.h"
#include "merge/ComposeRow.h"
#include "merge/PlanCheck.h"
#include "merge/PlanFile.h"
#include "merge/PlanRows.h"

using namespace quillory;

namespace {

constexpr std::string_view kDate = "11. prosince 2026";

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void WriteAll(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

Contact Entry(std::string email, std::string first, std::string surname, std::vector<std::string> groups,
              std::string title = {}, std::string company = {}) {
    Contact contact;
    contact.email = std::move(email);
    contact.firstName = std::move(first);
    contact.surname = std::move(surname);
    contact.groups = std::move(groups);
    contact.title = std::move(title);
    contact.company = std::move(company);
    return contact;
}

std::string Value(const MergeRow& row, std::string_view name) {
    const std::string* value = row.values.Find(name);
    return value ? *value : "<none>";
}

// The bytes the message would put on the wire (its files read as the SMTP client reads them).
class WireWriter : public TIdLineWriter {
public:
    void WriteText(const std::string& text) override { wire += text; }
    void WriteLine(const std::string& line) override { wire += line + "\r\n"; }
    std::string wire;
};

std::string Wire(TIdMessage message) {
    WireWriter writer;
    TIdMessageClient(writer).TransmitMessage(message);
    return writer.wire;
}

class MergePlanTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = std::filesystem::temp_directory_path() /
                  ("quillory-plan-" + std::to_string(::getpid()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_ / "faktury");
        book_.Add(Entry("jan.novak@example.cz", "Jan", "Novák", {"Zákazníci"}, "Ing.", "Stavby Plzeň"));
        book_.Add(
            Entry("eva.svobodova@example.cz", "Eva", "Svobodová", {"Zákazníci", "Výbor"}, {}, "Eva s.r.o."));
        book_.Add(Entry("petr@example.cz", "Petr", "Dvořák", {"Výbor"}));
        book_.Add(Entry("info@example.cz", "", "", {"Zákazníci"}));
        book_.Add(Entry("nikola@example.cz", "Nikola", "", {"Ostatní"}));
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    MergePlan Plan(std::vector<MergeRow> rows) const {
        MergePlan plan;
        plan.message.sender = ProgramTextFromUtf8("Obchod Plzeň <obchod@firma.cz>");
        plan.message.subject = ProgramTextFromUtf8("Faktura {číslo faktury}");
        plan.message.body = ProgramTextFromUtf8("{oslovení},\r\nposíláme fakturu na {částka} Kč.\r\n");
        plan.rows = std::move(rows);
        return plan;
    }

    MergeRow Row(std::string address, std::vector<std::pair<std::string, std::string>> values) const {
        MergeRow row;
        row.address = std::move(address);
        row.values = RecipientPlaceholders(book_.Find(row.address), kDate);
        for (auto& [name, value] : values) row.values.Set(name, value);
        return row;
    }

    std::filesystem::path folder_;
    AddressBook book_;
};

TEST_F(MergePlanTest, GroupsAndPickedEntriesGiveOneRowEachGreetedInTheVocative) {
    const std::vector<MergeRow> rows = RowsFromGroups(book_, {"Zákazníci", "Výbor"}, kDate);
    struct Case {
        const char* address;
        const char* greeting;
        bool named;
    };
    const Case cases[] = {
        {"jan.novak@example.cz", "Vážený pane inženýre", true},
        {"eva.svobodova@example.cz", "Vážená paní Svobodová", true},  // in both groups, once
        {"petr@example.cz", "Vážený pane Dvořáku", true},
        {"info@example.cz", "Dobrý den", false},
    };
    ASSERT_EQ(rows.size(), std::size(cases));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(cases[i].address);
        EXPECT_EQ(rows[i].address, cases[i].address);
        EXPECT_EQ(Value(rows[i], "oslovení"), cases[i].greeting);
        EXPECT_EQ(rows[i].named, cases[i].named);
        EXPECT_EQ(Value(rows[i], "datum"), kDate);
    }
    EXPECT_EQ(rows[0].name, "Ing. Jan Novák");

    // Picked entries in the order picked; an address not in the book is greeted neutrally; one
    // picked twice is one row.
    const std::vector<MergeRow> picked =
        RowsFromEntries(book_, {"petr@example.cz", "cizi@example.cz", "PETR@example.cz"}, kDate);
    ASSERT_EQ(picked.size(), 2u);
    EXPECT_EQ(Value(picked[0], "oslovení"), "Vážený pane Dvořáku");
    EXPECT_EQ(picked[0].mergedDuplicates, 1);
    EXPECT_EQ(Value(picked[1], "oslovení"), "Dobrý den");
    EXPECT_FALSE(picked[1].named);
}

TEST_F(MergePlanTest, ACsvRowGetsTheBooksEntryAndItsOwnColumnsOnTopAndDuplicatesAreMerged) {
    // Windows-1250 with semicolons, as a spreadsheet saves it.
    const CsvRecipients csv = RowsFromCsv(Utf8ToWin1250("E-mail;Jméno;Příjmení;Částka;Firma\r\n"
                                                        "jan.novak@example.cz;;;12 500;\r\n"
                                                        "karel@example.cz;Karel;Vlček;800;Vlček a syn\r\n"
                                                        "JAN.NOVAK@example.cz;;;99;Jiná\r\n"
                                                        "neni adresa;;;1;\r\n"),
                                          book_, kDate);
    EXPECT_EQ(csv.table.columns.size(), 5u);
    ASSERT_EQ(csv.rows.size(), 3u);
    const MergeRow& jan = csv.rows[0];
    EXPECT_EQ(Value(jan, "oslovení"), "Vážený pane inženýre");  // the book's greeting
    EXPECT_EQ(Value(jan, "jméno"), "Jan");                      // the book's names, the CSV's empty
    EXPECT_EQ(Value(jan, "firma"), "Stavby Plzeň");
    EXPECT_EQ(Value(jan, "částka"), "12 500");  // the first row of the address wins
    EXPECT_EQ(jan.name, "Ing. Jan Novák");
    EXPECT_EQ(jan.mergedDuplicates, 1);
    EXPECT_EQ(jan.csvLine, 2u);
    // Not in the book: greeted by its own name columns.
    const MergeRow& karel = csv.rows[1];
    EXPECT_EQ(Value(karel, "oslovení"), "Vážený pane Vlčku");
    EXPECT_EQ(Value(karel, "firma"), "Vlček a syn");
    EXPECT_TRUE(karel.named);
    EXPECT_EQ(csv.rows[2].address, "neni adresa");  // kept for the check to show

    // A group's row and the CSV's row of one address are one row with the values of both.
    std::vector<MergeRow> rows = RowsFromGroups(book_, {"Zákazníci"}, kDate);
    AddRows(rows, csv.rows);
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[0].address, "jan.novak@example.cz");
    EXPECT_EQ(Value(rows[0], "částka"), "12 500");
    EXPECT_EQ(rows[0].mergedDuplicates, 2);
}

TEST_F(MergePlanTest, EachRowsFileByPatternOrByColumn) {
    const auto folder = folder_ / "faktury";
    struct Case {
        RowFiles files;
        std::vector<std::pair<std::string, std::string>> values;
        std::filesystem::path file;  // empty: none, with a problem
        bool problem;
    };
    const Case cases[] = {
        {{RowFiles::Kind::Pattern, folder, "{firma}.pdf", {}}, {}, folder / "Stavby Plzeň.pdf", false},
        {{RowFiles::Kind::Pattern, folder, "faktura-{číslo faktury}.pdf", {}},
         {{"číslo faktury", "2026-0042"}},
         folder / "faktura-2026-0042.pdf",
         false},
        {{RowFiles::Kind::Pattern, folder, "faktura-{číslo faktury}.pdf", {}},
         {{"číslo faktury", ""}},
         {},
         true},
        // A value must not lead out of the folder.
        {{RowFiles::Kind::Pattern, folder, "{číslo faktury}", {}},
         {{"číslo faktury", "../../etc/passwd"}},
         {},
         true},
        {{RowFiles::Kind::Pattern, folder, "{číslo faktury}", {}}, {{"číslo faktury", ".."}}, {}, true},
        // A name keeps every character: no period is merged as in a sentence.
        {{RowFiles::Kind::Pattern, folder, "{firma}.pdf", {}},
         {{"firma", "Eva s.r.o."}},
         folder / "Eva s.r.o..pdf",
         false},
        {{RowFiles::Kind::Column, folder, {}, "Soubor"}, {{"Soubor", "a/b.pdf"}}, folder / "a/b.pdf", false},
        {{RowFiles::Kind::Column, folder, {}, "Soubor"}, {{"Soubor", "/srv/x.pdf"}}, "/srv/x.pdf", false},
        {{RowFiles::Kind::Column, folder, {}, "Soubor"}, {{"Soubor", ""}}, {}, true},
        {{RowFiles::Kind::None, folder, "{firma}.pdf", {}}, {}, {}, false},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.files.pattern + test.files.column);
        std::vector<MergeRow> rows{Row("jan.novak@example.cz", test.values)};
        rows[0].file = "stale.pdf";
        AssignFiles(rows, test.files);
        EXPECT_EQ(rows[0].file, test.file);
        EXPECT_EQ(!rows[0].fileProblem.empty(), test.problem) << rows[0].fileProblem;
    }
}

TEST_F(MergePlanTest, TheCheckShowsEachProblemOfARow) {
    const auto file = folder_ / "faktury" / "ok.pdf";
    WriteAll(file, "%PDF-1.4\n");
    const auto filled = [](MergeRow row, std::filesystem::path path) {
        row.file = std::move(path);
        return row;
    };
    MergeRow duplicate = Row("eva.svobodova@example.cz", {{"částka", "1"}, {"číslo faktury", "7"}});
    duplicate.mergedDuplicates = 2;
    MergeRow named = Row("nikola@example.cz", {{"částka", "1"}, {"číslo faktury", "7"}});
    named.named = true;
    MergeRow badPattern = Row("petr@example.cz", {{"částka", "1"}, {"číslo faktury", "7"}});
    badPattern.fileProblem = "Zástupný údaj {firma} je prázdný";
    struct Case {
        MergeRow row;
        std::vector<ProblemKind> problems;
        bool blocked;
    };
    const Case cases[] = {
        {filled(Row("jan.novak@example.cz", {{"částka", "12 500"}, {"číslo faktury", "42"}}), file),
         {},
         false},
        {Row("neni adresa", {{"částka", "1"}, {"číslo faktury", "7"}}), {ProblemKind::InvalidAddress}, true},
        {Row("", {{"částka", "1"}, {"číslo faktury", "7"}}), {ProblemKind::InvalidAddress}, true},
        // Empty in the subject and in the text: each name once.
        {Row("petr@example.cz", {{"částka", ""}, {"číslo faktury", ""}}),
         {ProblemKind::EmptyPlaceholder, ProblemKind::EmptyPlaceholder},
         true},
        {named, {ProblemKind::NeutralGreeting}, true},
        {filled(Row("petr@example.cz", {{"částka", "1"}, {"číslo faktury", "7"}}), folder_ / "chybi.pdf"),
         {ProblemKind::MissingFile},
         true},
        {badPattern, {ProblemKind::MissingFile}, true},
        {filled(Row("petr@example.cz", {{"částka", "1"}, {"číslo faktury", "7"}}), folder_ / "faktury"),
         {ProblemKind::UnreadableFile},
         true},
        {duplicate, {ProblemKind::DuplicateMerged}, false},
    };
    std::vector<MergeRow> rows;
    for (const Case& test : cases) rows.push_back(test.row);
    const MergePlan plan = Plan(rows);
    const std::vector<CheckRow> checks = CheckPlan(plan);
    ASSERT_EQ(checks.size(), std::size(cases));
    for (std::size_t i = 0; i < checks.size(); ++i) {
        SCOPED_TRACE(i);
        std::vector<ProblemKind> kinds;
        for (const RowProblem& problem : checks[i].problems) {
            kinds.push_back(problem.kind);
            EXPECT_FALSE(ProblemText(problem).empty());
        }
        EXPECT_EQ(kinds, cases[i].problems);
        EXPECT_EQ(checks[i].Blocked(), cases[i].blocked);
    }
    EXPECT_EQ(checks[0].greeting, "Vážený pane inženýre");
    EXPECT_EQ(checks[0].subject, "Faktura 42");
    EXPECT_EQ(checks[0].file, file.string());
    EXPECT_EQ(checks[3].problems[0].detail, "číslo faktury");
    EXPECT_EQ(checks[3].problems[1].detail, "částka");
    EXPECT_EQ(ProblemText(checks[8].problems[0]), "Adresa se opakovala (3×), sloučeno do jednoho řádku");

    // The send waits while a ticked row has a problem; unticking the rows with one lets it go.
    MergePlan ticked = plan;
    EXPECT_FALSE(ReadyToSend(ticked));
    for (std::size_t i = 0; i < checks.size(); ++i) ticked.rows[i].skipped = checks[i].Blocked();
    EXPECT_TRUE(ReadyToSend(ticked));
    ticked.message.attachments.push_back({(folder_ / "cenik.pdf").string(), "application/pdf"});
    EXPECT_EQ(CheckSharedFiles(ticked).size(), 1u);
    EXPECT_FALSE(ReadyToSend(ticked));
}

TEST_F(MergePlanTest, ARowsMessageIsTheComposedOneFilledForItsRecipient) {
    const auto own = folder_ / "faktury" / "faktura-42.pdf";
    const auto shared = folder_ / "ceník.pdf";
    WriteAll(own, "%PDF-1.4 own\n");
    WriteAll(shared, "%PDF-1.4 shared\n");
    MergePlan plan = Plan({Row("jan.novak@example.cz", {{"částka", "12 500"}, {"číslo faktury", "42"}}),
                           Row("petr@example.cz", {{"částka", "800"}, {"číslo faktury", "43"}})});
    plan.rows[0].name = "Ing. Jan Novák";
    plan.rows[0].file = own;
    plan.message.copies = "kopie@firma.cz";
    plan.message.attachments.push_back({shared.string(), "application/pdf"});

    struct Case {
        bool unsubscribe;
        bool trial;
    };
    for (const Case test : {Case{false, false}, Case{true, false}, Case{false, true}}) {
        SCOPED_TRACE(std::to_string(test.unsubscribe) + std::to_string(test.trial));
        plan.options.unsubscribe = test.unsubscribe;
        TIdMessage message = test.trial ? ComposeTrial(plan, 0) : ComposeRow(plan, 0);
        const std::string subject = ProgramTextToUtf8(message.Subject);
        EXPECT_EQ(subject, test.trial ? "[ZKOUŠKA] Faktura 42" : "Faktura 42");
        ASSERT_EQ(message.Recipients().Count(), 1u);
        EXPECT_EQ(message.Recipients()[0].Address(), test.trial ? "obchod@firma.cz" : "jan.novak@example.cz");
        EXPECT_EQ(message.CCList().Count(), test.trial ? 0u : 1u);
        EXPECT_EQ(message.ReplyTo()[0].Address(), "obchod@firma.cz");

        // Text, then the shared file, then the row's own.
        ASSERT_EQ(message.MessageParts().Count(), 3u);
        const auto& text = dynamic_cast<const TIdText&>(message.MessageParts().Items(0));
        ASSERT_GE(text.Body().size(), 2u);
        EXPECT_EQ(Win1250ToUtf8(text.Body()[0]), "Vážený pane inženýre,");
        EXPECT_EQ(Win1250ToUtf8(text.Body()[1]), "posíláme fakturu na 12 500 Kč.");
        EXPECT_EQ(dynamic_cast<const TIdAttachment&>(message.MessageParts().Items(1)).StoredPathName(),
                  shared.string());
        EXPECT_EQ(dynamic_cast<const TIdAttachment&>(message.MessageParts().Items(2)).FileName(),
                  "faktura-42.pdf");
        EXPECT_EQ(Win1250ToUtf8(text.Body().back()).find("obchod@firma.cz") != std::string::npos,
                  test.unsubscribe);

        const std::string wire = Wire(std::move(message));
        EXPECT_EQ(wire.find("List-Unsubscribe: <mailto:obchod@firma.cz>\r\n") != std::string::npos,
                  test.unsubscribe);
        EXPECT_NE(wire.find("filename=\"faktura-42.pdf\""), std::string::npos);
    }
    // Each message has its own id, the second row its own greeting and no file of its own.
    TIdMessage first = ComposeRow(plan, 0);
    TIdMessage second = ComposeRow(plan, 1);
    EXPECT_NE(first.ExtraHeaders().GetHeaderValue("Message-ID"),
              second.ExtraHeaders().GetHeaderValue("Message-ID"));
    EXPECT_EQ(second.MessageParts().Count(), 2u);

    // A file gone since the check: the row cannot be composed, and the message says which file.
    std::filesystem::remove(own);
    try {
        ComposeRow(plan, 0);
        ADD_FAILURE() << "composed without its file";
    } catch (const Exception& error) {
        EXPECT_NE(ProgramTextToUtf8(error.Message()).find("faktura-42.pdf"), std::string::npos);
    }
}

// A value from a CSV file may hold line ends of any kind: in the text each starts a new line (no
// lone CR reaches the wire), and in the subject none starts a header of its own.
TEST_F(MergePlanTest, LineEndsInAValueNeitherBreakTheWireNorAddAHeader) {
    MergePlan plan = Plan({Row("jan.novak@example.cz",
                               {{"částka", "1\r2"}, {"číslo faktury", "42\r\nBcc: cizi@example.com"}})});
    const std::string wire = Wire(ComposeRow(plan, 0));
    EXPECT_NE(wire.find("fakturu na 1\r\n2 K=E8."), std::string::npos) << wire;
    EXPECT_EQ(wire.find("\r\nBcc:"), std::string::npos);
    for (std::size_t i = 0; i < wire.size(); ++i) {
        if (wire[i] == '\r') {
            ASSERT_EQ(wire.substr(i, 2), "\r\n") << "a lone CR at " << i;
        }
    }
}
TEST_F(MergePlanTest, ThePlanIsKeptBesideTheJournalAndReadBackWhole) {
    MergePlan plan = Plan({Row("jan.novak@example.cz", {{"částka", "12 500"}, {"číslo faktury", "42"}}),
                           Row("", {{"poznámka", "řádek\r\ndruhý \\ = {x}"}, {"prázdný", ""}})});
    plan.message.copies = " a@b.cz ; Jan <c@d.cz>";
    plan.message.attachments = {{"/srv/ceník 2027.pdf", "application/pdf"}, {"/srv/x", ""}};
    plan.options.unsubscribe = true;
    plan.rows[0].file = "/srv/faktury/faktura 42.pdf";
    plan.rows[0].name = "Ing. Jan Novák";
    plan.rows[0].named = true;
    plan.rows[0].csvLine = 3;
    plan.rows[0].mergedDuplicates = 1;
    plan.rows[1].fileProblem = "Sloupec „Soubor“ je prázdný";
    plan.rows[1].skipped = true;                    // unticked, without an address
    plan.limits = SendingLimits{30, 0, 0, 10'000};  // the pace chosen for the run

    std::filesystem::path journalPath;
    {
        RunJournal journal =
            CreateRun(folder_ / "data", plan, std::chrono::sys_seconds(std::chrono::seconds(1'765'445'400)));
        journalPath = journal.Path();
        EXPECT_EQ(journal.State().rows[1].state, RowState::Skipped);
    }
    EXPECT_EQ(PlanPath(journalPath).filename(), "hromadne-odeslani-20251211-093000.plan");
    EXPECT_EQ(LoadPlan(journalPath), plan);
    {
        // The row without an address is there too, and it stays left out.
        RunJournal journal = RunJournal::Open(journalPath);
        EXPECT_EQ(journal.State().rows.size(), 2u);
        EXPECT_THROW(journal.SendAgain(1, std::chrono::sys_seconds(std::chrono::seconds(1'765'445'500))),
                     Exception);
    }
    EXPECT_EQ(
        (std::filesystem::status(PlanPath(journalPath)).permissions() & std::filesystem::perms::group_read),
        std::filesystem::perms::none);
    // A plan that is there is never replaced.
    EXPECT_THROW(SavePlan(Plan({}), journalPath), EPlanError);
    EXPECT_EQ(LoadPlan(journalPath), plan);
    EXPECT_THROW(LoadPlan(folder_ / "none.denik"), EPlanError);
}

TEST_F(MergePlanTest, ADamagedPlanIsReportedWithItsPathAndLeftAsItIs) {
    MergePlan plan = Plan({Row("jan.novak@example.cz", {{"částka", "1"}}), Row("petr@example.cz", {})});
    const std::string bytes = PlanBytes(plan);
    ASSERT_EQ(ParsePlan(bytes, "x.plan"), plan);
    const auto lastLine = bytes.rfind('\n', bytes.size() - 2) + 1;
    const auto flipped = [&bytes](std::size_t at) {
        std::string damaged = bytes;
        damaged[at] ^= 0x20;
        return damaged;
    };
    struct Case {
        const char* what;
        std::string bytes;
        int line;
    };
    const Case cases[] = {
        {"empty", "", 1},
        {"a byte changed in the heading", flipped(12), 1},
        {"a byte changed in a value", flipped(bytes.find("VALUE") + 8), 5},
        {"cut before the end", bytes.substr(0, lastLine), 0},
        {"cut inside the last line", bytes.substr(0, bytes.size() - 3), 0},
        {"a line more", bytes + JournalLine("VALUE =a =b"), 0},
        {"a line missing", bytes.substr(0, bytes.find("VALUE")) + bytes.substr(bytes.find("ROW 1")), 0},
        {"the journal instead", JournalLine("QUILLORY-MERGE-JOURNAL 1 0 0"), 1},
        {"the pace missing from a plan that keeps one",
         [&] {
             MergePlan paced = plan;
             paced.limits = SendingLimits{20, 0, 500, 0};
             const std::string withPace = PlanBytes(paced);
             const auto pace = withPace.find('\n', withPace.find("MESSAGE")) + 1;
             return withPace.substr(0, pace) + withPace.substr(withPace.find('\n', pace) + 1);
         }(),
         3},
    };
    const auto path = folder_ / "hromadne-odeslani-20261211-093000.denik";
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        WriteAll(PlanPath(path), test.bytes);
        try {
            LoadPlan(path);
            ADD_FAILURE() << "read a damaged plan";
        } catch (const EPlanDamaged& error) {
            const std::string message = ProgramTextToUtf8(error.Message());
            EXPECT_NE(message.find(PlanPath(path).string()), std::string::npos) << message;
            if (test.line > 0) {
                EXPECT_NE(message.find("na řádku " + std::to_string(test.line) + " "), std::string::npos)
                    << message;
            }
        }
        EXPECT_EQ(ReadAll(PlanPath(path)), test.bytes);
        EXPECT_THROW(SavePlan(plan, path), EPlanError);
        EXPECT_EQ(ReadAll(PlanPath(path)), test.bytes);
    }
}

// A plan written before the pace was kept reads as it did: no pace of its own (the account's
// provider preset gives it).
TEST_F(MergePlanTest, APlanWithoutAPaceReadsAsBefore) {
    const std::string older = JournalLine("QUILLORY-MERGE-PLAN 1 1 0") +
                              JournalLine("MESSAGE =Obchod\\x20<obchod@firma.cz> =Faktura = 0") +
                              JournalLine("BODY =Dobr\xFD\\x20den.\\x0D\\n") +
                              JournalLine("ROW 0 =jan@example.cz = = = 0 2 0 0 1") +
                              JournalLine("VALUE =částka =12\\x20500") + JournalLine("END 1");
    const MergePlan plan = ParsePlan(older, "x.plan");
    EXPECT_FALSE(plan.limits);
    EXPECT_EQ(plan.message.sender, "Obchod <obchod@firma.cz>");
    ASSERT_EQ(plan.rows.size(), 1u);
    EXPECT_EQ(plan.rows[0].csvLine, 2u);
    EXPECT_EQ(Value(plan.rows[0], "částka"), "12 500");
    // Written again it is the same file: a plan without a pace keeps the first version.
    EXPECT_EQ(PlanBytes(plan), older);
}

}  // namespace
