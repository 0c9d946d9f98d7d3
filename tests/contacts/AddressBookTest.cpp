// The book's entries by address, merging, completion and search, and the book's file.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>

#include <filesystem>
#include <fstream>

#include "contacts/AddressBookFile.h"
#include "contacts/ContactGroups.h"
#include "contacts/ContactMatcher.h"
#include "contacts/VCard.h"
#include "storage/FileErrors.h"

using namespace quillory;

namespace {

Contact Entry(const char* email, const char* first = "", const char* surname = "", const char* company = "") {
    Contact contact;
    contact.email = email;
    contact.firstName = first;
    contact.surname = surname;
    contact.company = company;
    return contact;
}

TEST(AddressBook, UsableAddresses) {
    for (const char* good : {"a@b.cz", "jan.novak@example.cz", "x+y@sub.example.com", "žofie@example.cz"})
        EXPECT_TRUE(IsUsableAddress(good)) << good;
    for (const char* bad : {"", "a", "a@", "@b.cz", "a@b", "a@@b.cz", "a b@c.cz", "Jan <a@b.cz>", "a@b..cz",
                            "a@-b.cz", ".a@b.cz", "a;b@c.cz", "a@b.cz,", "a\xff@b.cz"})
        EXPECT_FALSE(IsUsableAddress(bad)) << bad;
}

TEST(AddressBook, OneEntryPerAddressWhateverItsCase) {
    AddressBook book;
    EXPECT_TRUE(book.Add(Entry("Jan.Novak@Example.cz", "Jan", "Novák")));
    EXPECT_FALSE(book.Add(Entry(" jan.novak@example.CZ ")));
    ASSERT_NE(book.Find("JAN.NOVAK@example.cz"), nullptr);
    EXPECT_EQ(book.Find("jan.novak@example.cz")->surname, "Novák");
    EXPECT_TRUE(book.Add(Entry("eva@example.cz", "Eva")));
    EXPECT_FALSE(book.Replace(1, Entry("jan.novak@example.cz")));  // belongs to the first entry
    EXPECT_TRUE(book.Replace(1, Entry("eva.nova@example.cz", "Eva")));
    EXPECT_EQ(book.Find("eva@example.cz"), nullptr);
    EXPECT_TRUE(book.Add(Entry("eva@example.cz", "Jiná")));
    book.Remove(0);
    EXPECT_EQ(book.Find("jan.novak@example.cz"), nullptr);
    EXPECT_EQ(book.IndexOf("eva@example.cz"), 1u);
    EXPECT_EQ(book.IndexOf("eva.nova@example.cz"), 0u);
}

TEST(AddressBook, MergeFillsOnlyWhatTheEntryLacks) {
    AddressBook book;
    Contact mine = Entry("jan@example.cz", "Honza", "");
    mine.greetingStyle = GreetingStyle::FirstName;
    mine.groups = {"Výbor", "Rodina"};
    book.Add(mine);
    Contact imported = Entry("JAN@example.cz", "Jan", "Novák", "Firma");
    imported.greetingStyle = GreetingStyle::Title;
    imported.otherProperties = {"TEL:1"};
    imported.groups = {"Rodina", "Zákazníci"};
    const auto before = book.Revision();
    EXPECT_EQ(book.Merge(imported), AddressBook::MergeOutcome::Merged);
    EXPECT_NE(book.Revision(), before);
    const Contact& entry = *book.Find("jan@example.cz");
    EXPECT_EQ(entry.email, "jan@example.cz");
    EXPECT_EQ(entry.firstName, "Honza");
    EXPECT_EQ(entry.surname, "Novák");
    EXPECT_EQ(entry.company, "Firma");
    EXPECT_EQ(entry.greetingStyle, GreetingStyle::FirstName);
    EXPECT_EQ(entry.otherProperties, std::vector<std::string>{"TEL:1"});
    EXPECT_EQ(entry.groups, (std::vector<std::string>{"Výbor", "Rodina", "Zákazníci"}));  // joined, none left
    EXPECT_EQ(BookGroups(book), (std::vector<std::string>{"Rodina", "Výbor", "Zákazníci"}));
    EXPECT_EQ(book.Merge(imported), AddressBook::MergeOutcome::AlreadyPresent);
    EXPECT_EQ(book.Merge(Entry("nova@example.cz")), AddressBook::MergeOutcome::Added);
}

AddressBook People() {
    AddressBook book;
    book.Add(Entry("jan.novak@example.cz", "Jan", "Novák", "Stavby Plzeň"));
    book.Add(Entry("eva@firma.cz", "Eva", "Nováková"));
    book.Add(Entry("petr.dvorak@example.cz", "Petr", "Dvořák"));
    book.Add(Entry("info@novakovi.cz"));
    book.Add(Entry("zofie@example.cz", "Žofie", "Černá"));
    return book;
}

std::vector<std::string> Addresses(const AddressBook& book, const std::vector<size_t>& found) {
    std::vector<std::string> addresses;
    for (const size_t index : found) addresses.push_back(book.At(index).email);
    return addresses;
}

TEST(ContactMatcher, CompletesByNamesAndAddressIgnoringCaseAndDiacritics) {
    const AddressBook book = People();
    const ContactMatcher matcher(book);
    struct Row {
        const char* typed;
        std::vector<std::string> found;
    };
    const Row rows[] = {
        {"nov", {"jan.novak@example.cz", "eva@firma.cz", "info@novakovi.cz"}},
        {"NOVÁK", {"jan.novak@example.cz", "eva@firma.cz", "info@novakovi.cz"}},
        {"novako", {"eva@firma.cz", "info@novakovi.cz"}},
        {"jan nov", {"jan.novak@example.cz"}},
        {"dvorak", {"petr.dvorak@example.cz"}},
        {"ZOF", {"zofie@example.cz"}},
        {"cerna", {"zofie@example.cz"}},
        {"firma", {"eva@firma.cz"}},  // a word of the address, not the company
        {"eva@", {"eva@firma.cz"}},
        {"ovak", {}},  // inside a word
        {"stavby", {}},
        {"   ", {}},
    };
    for (const Row& row : rows)
        EXPECT_EQ(Addresses(book, matcher.Complete(row.typed, 50)), row.found) << row.typed;
    EXPECT_EQ(matcher.Complete("nov", 1).size(), 1u);
}

TEST(ContactMatcher, SearchFindsTextAnywhere) {
    const AddressBook book = People();
    const ContactMatcher matcher(book);
    EXPECT_EQ(Addresses(book, matcher.Search("plzen")), std::vector<std::string>{"jan.novak@example.cz"});
    EXPECT_EQ(Addresses(book, matcher.Search("ovak")),
              (std::vector<std::string>{"jan.novak@example.cz", "eva@firma.cz", "info@novakovi.cz"}));
    // Everything, by surname; an entry without one after the named ones.
    EXPECT_EQ(Addresses(book, matcher.Search("")),
              (std::vector<std::string>{"zofie@example.cz", "petr.dvorak@example.cz", "jan.novak@example.cz",
                                        "eva@firma.cz", "info@novakovi.cz"}));
}

class AddressBookFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = std::filesystem::temp_directory_path() /
                  ("quillory-book-" + std::to_string(::getpid()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }
    std::filesystem::path File() const { return folder_ / "kontakty.vcf"; }
    void Write(const std::string& bytes) const { std::ofstream(File(), std::ios::binary) << bytes; }
    std::string Read() const {
        std::ifstream in(File(), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    std::filesystem::path folder_;
};

TEST_F(AddressBookFileTest, AMissingFileIsMadeAtTheFirstSaveForItsOwnerOnly) {
    AddressBookFile file(File());
    AddressBook book;
    EXPECT_EQ(file.Load(book).state, AddressBookLoad::State::Missing);
    EXPECT_TRUE(book.Empty());
    EXPECT_FALSE(std::filesystem::exists(File()));
    book.Add(Entry("jan@example.cz", "Jan", "Novák"));
    EXPECT_TRUE(file.Save(book));
    struct stat info {};
    ASSERT_EQ(::stat(File().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    // A file the user made readable to others is made private again at the next save.
    ::chmod(File().c_str(), 0644);
    AddressBookFile again(File());
    AddressBook loaded;
    EXPECT_EQ(again.Load(loaded).state, AddressBookLoad::State::Loaded);
    EXPECT_EQ(loaded.Contacts(), book.Contacts());
    EXPECT_TRUE(again.Save(loaded));
    ASSERT_EQ(::stat(File().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST_F(AddressBookFileTest, ADamagedFileIsReadAsFarAsItGoesAndNeverWrittenOver) {
    const std::string damaged =
        "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Jan\r\nEMAIL:jan@example.cz\r\nEND:VCARD\r\n"
        "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Rozbitá\r\nEMAIL:rozbita@example.cz\r\n";
    Write(damaged);
    AddressBookFile file(File());
    AddressBook book;
    const AddressBookLoad load = file.Load(book);
    EXPECT_EQ(load.state, AddressBookLoad::State::Damaged);
    EXPECT_EQ(load.badCards, 1);
    EXPECT_EQ(load.firstProblemLine, 6u);
    EXPECT_EQ(book.Size(), 1u);
    EXPECT_FALSE(file.Writable());
    book.Add(Entry("novy@example.cz"));
    EXPECT_FALSE(file.Save(book));
    EXPECT_EQ(Read(), damaged);

    // Not UTF-8 counts as damaged too: writing it back would change the user's file.
    Write("BEGIN:VCARD\r\nFN:\x8eofie\r\nEMAIL:z@example.cz\r\nEND:VCARD\r\n");
    EXPECT_EQ(file.Load(book).state, AddressBookLoad::State::Damaged);
}

TEST_F(AddressBookFileTest, AnUnreadableFileIsReportedAndLeftAlone) {
    std::filesystem::create_directory(File());  // a folder where the file should be
    AddressBookFile file(File());
    AddressBook book;
    const AddressBookLoad load = file.Load(book);
    EXPECT_EQ(load.state, AddressBookLoad::State::Unreadable);
    EXPECT_FALSE(file.Save(book));
    EXPECT_TRUE(std::filesystem::is_directory(File()));
}

// A write that fails (here: the process may write no byte to any file, which holds for root too)
// raises the create error and leaves no file behind.
TEST_F(AddressBookFileTest, AFailedWriteRaisesTheCreateError) {
    AddressBookFile file(File());
    AddressBook book;
    file.Load(book);
    book.Add(Entry("jan@example.cz"));
    rlimit limit{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &limit), 0);
    const rlimit saved = limit;
    limit.rlim_cur = 0;
    ::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    EXPECT_THROW(file.Save(book), EFCreateError);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &saved), 0);
    EXPECT_FALSE(std::filesystem::exists(File()));
    EXPECT_TRUE(std::filesystem::is_empty(folder_));
}

}  // namespace
