#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <fstream>
#include <iterator>

#include "storage/SpoolFile.h"
#include "tests/storage/TempConfigFolder.h"

namespace quillory {
namespace {

std::string Read(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::size_t FilesIn(const std::filesystem::path& folder) {
    return static_cast<std::size_t>(
        std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator()));
}

class SpoolFileTest : public test::TempConfigFolder {
protected:
    std::filesystem::path Folder() const { return Root() / "Odeslané"; }
    const std::filesystem::path& Root() const { return TempConfigFolder::Folder(); }
};

TEST_F(SpoolFileTest, CommittedFileHoldsTheBytesForTheOwnerOnlyAndNeverReplacesAFile) {
    {
        SpoolFile spool(Folder());
        spool.Append("From: a\r\n");
        spool.Append("\r\nbody\r\n");
        EXPECT_EQ(spool.Size(), 17u);
        EXPECT_EQ(spool.Commit("zprava.eml"), Folder() / "zprava.eml");
    }
    EXPECT_EQ(Read(Folder() / "zprava.eml"), "From: a\r\n\r\nbody\r\n");
    struct stat status {};
    ASSERT_EQ(::stat((Folder() / "zprava.eml").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
    ASSERT_EQ(::stat(Folder().c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0700u);

    for (const char* expected : {"zprava (2).eml", "zprava (3).eml"}) {
        SpoolFile again(Folder());
        again.Append("second");
        EXPECT_EQ(again.Commit("zprava.eml"), Folder() / expected);
    }
    EXPECT_EQ(Read(Folder() / "zprava.eml"), "From: a\r\n\r\nbody\r\n");
    EXPECT_EQ(FilesIn(Folder()), 3u);
}

TEST_F(SpoolFileTest, SpoolNotCommittedLeavesNothing) {
    {
        SpoolFile spool(Folder());
        spool.Append("half a message");
    }
    EXPECT_EQ(FilesIn(Folder()), 0u);
}

TEST_F(SpoolFileTest, FolderThatCannotBeMadeIsAnError) {
    std::ofstream(Root() / "soubor") << "x";
    EXPECT_THROW(SpoolFile(Root() / "soubor"), ESpoolFileError);
    EXPECT_THROW(SpoolFile(Root() / "soubor" / "pod"), ESpoolFileError);
}

// A write that fails (here: past the process's file size limit, as a full disk would) is noted,
// stops further writes without disturbing the writer, and keeps the file from being named.
TEST_F(SpoolFileTest, WriteErrorIsNotedAndRefusesTheCommit) {
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    {
        SpoolFile spool(Folder());
        rlimit small = old;
        small.rlim_cur = 100;
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
        spool.Append(std::string(60, 'a'));
        spool.Append(std::string(60, 'b'));
        spool.Append("more");
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &old), 0);
        EXPECT_EQ(spool.WriteError(), EFBIG);
        EXPECT_EQ(spool.Size(), 100u);
        try {
            spool.Commit("zprava.eml");
            ADD_FAILURE() << "a spool with a write error was named";
        } catch (const ESpoolFileError& error) {
            EXPECT_NE(error.Message().find("File too large"), std::string::npos) << error.Message();
        }
    }
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(FilesIn(Folder()), 0u);
}

}  // namespace
}  // namespace quillory
