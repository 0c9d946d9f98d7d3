// Which copy of the program runs (installed or portable) and where it keeps the user's data.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "storage/ProgramFolders.h"

namespace quillory {
namespace {

namespace fs = std::filesystem;

// A temporary folder and the environment variables the rule reads, restored afterwards.
class ProgramFoldersTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "quillory-folders-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
        for (const char* name : {"XDG_DATA_HOME", "HOME"}) {
            const char* value = std::getenv(name);
            saved_.push_back({name, value ? std::optional<std::string>(value) : std::nullopt});
        }
        ::setenv("HOME", (root_ / "home").c_str(), 1);
        ::unsetenv("XDG_DATA_HOME");
    }
    void TearDown() override {
        for (const auto& [name, value] : saved_) {
            if (value) ::setenv(name, value->c_str(), 1);
            else ::unsetenv(name);
        }
        fs::remove_all(root_);
    }
    fs::path Make(const std::string& relative) const {
        fs::create_directories(root_ / relative);
        return root_ / relative;
    }

    fs::path root_;
    std::vector<std::pair<const char*, std::optional<std::string>>> saved_;
};

// Only "<prefix>/bin" next to "<prefix>/share/quillory" is an installed copy; a folder the process
// may write to (root may write anywhere) is no sign of either.
TEST_F(ProgramFoldersTest, OnlyAnExecutableInBinBesideShareQuilloryIsInstalled) {
    Make("usr/share/quillory");
    Make("portable/share/quillory");
    Make("other/share/elsewhere");
    struct Row {
        const char* exeDir;
        bool installed;
    } rows[] = {
        {"usr/bin", true},
        {"usr/bin/", true},                // a trailing separator
        {"usr/sbin/../bin", true},         // not normalised
        {"build/app", false},              // the build folder
        {"portable", false},               // an unpacked folder holding share/quillory itself
        {"other/bin", false},              // a bin folder without the program's share folder
        {"usr/bin/quillory-1.01", false},  // a portable folder somewhere under bin
    };
    for (const Row& row : rows) {
        Make(row.exeDir);
        const TProgramFolders folders = TProgramFolders::Locate(root_ / row.exeDir);
        EXPECT_EQ(folders.Installed(), row.installed) << row.exeDir;
        EXPECT_EQ(folders.Data(), row.installed ? root_ / "home/.local/share/quillory" : root_ / row.exeDir)
            << row.exeDir;
    }
}

TEST_F(ProgramFoldersTest, InstalledDataFolderFollowsXdgDataHomeWhenItIsAbsolute) {
    const struct {
        const char* xdgDataHome;  // nullptr: not set
        std::string expected;
    } rows[] = {
        {nullptr, (root_ / "home/.local/share/quillory").string()},
        {"/srv/data", "/srv/data/quillory"},
        {"relative/data", (root_ / "home/.local/share/quillory").string()},  // ignored, as the XDG rule says
        {"", (root_ / "home/.local/share/quillory").string()},
    };
    for (const auto& row : rows) {
        if (row.xdgDataHome) ::setenv("XDG_DATA_HOME", row.xdgDataHome, 1);
        else ::unsetenv("XDG_DATA_HOME");
        EXPECT_EQ(UserDataFolder(), fs::path(row.expected))
            << (row.xdgDataHome ? row.xdgDataHome : "(unset)");
    }
}

// Shipped files are found beside the executable first, then in the installed share folder.
TEST_F(ProgramFoldersTest, ShippedFilesBesideTheExecutableComeBeforeTheInstalledOnes) {
    Make("usr/share/quillory/help");
    Make("usr/bin");
    const TProgramFolders installed = TProgramFolders::Locate(root_ / "usr/bin");
    EXPECT_EQ(installed.FindShipped("help"), root_ / "usr/share/quillory/help");
    Make("usr/bin/help");
    EXPECT_EQ(installed.FindShipped("help"), root_ / "usr/bin/help");
    EXPECT_EQ(installed.FindShipped("Skins"), std::nullopt);

    const TProgramFolders portable = TProgramFolders::Portable(root_ / "usr/share/quillory");
    EXPECT_EQ(portable.ShippedBases(), std::vector<fs::path>{root_ / "usr/share/quillory"});
}

}  // namespace
}  // namespace quillory
