#pragma once

#include <filesystem>
#include <optional>
#include <vector>

namespace quillory {

// Where the program finds the files it ships with (skin, user guide) and where it keeps the files the
// user writes (the eight block files and the "Backups" folder).
//
// A copy run from its build folder or unpacked as a portable folder keeps everything beside its
// executable. An installed copy is an executable in "<prefix>/bin" whose prefix holds
// "share/quillory": it ships its files in that folder and keeps the user's data in
// "$XDG_DATA_HOME/quillory", else "~/.local/share/quillory". Whether a folder is writable decides
// nothing: root may write into any prefix, and an installed copy must still not write there.
class TProgramFolders {
public:
    // Everything beside the executable in `exeDir`.
    static TProgramFolders Portable(std::filesystem::path exeDir);
    // The folders of the executable in `exeDir`, installed or not; reads XDG_DATA_HOME and HOME.
    static TProgramFolders Locate(std::filesystem::path exeDir);

    // The block files and "Backups" live here.
    const std::filesystem::path& Data() const { return data_; }
    bool Installed() const { return !share_.empty(); }
    // Where shipped files are looked for, in order: beside the executable, then the installed
    // "<prefix>/share/quillory".
    std::vector<std::filesystem::path> ShippedBases() const;
    // The first shipped file or folder at `relative` under one of the shipped bases.
    std::optional<std::filesystem::path> FindShipped(const std::filesystem::path& relative) const;

private:
    TProgramFolders(std::filesystem::path exeDir, std::filesystem::path share, std::filesystem::path data)
        : exeDir_(std::move(exeDir)), share_(std::move(share)), data_(std::move(data)) {}

    std::filesystem::path exeDir_;
    std::filesystem::path share_;  // empty for a portable copy
    std::filesystem::path data_;
};

// "<prefix>/share/quillory" when `exeDir` is "<prefix>/bin" and that folder exists; else nothing.
std::optional<std::filesystem::path> InstalledShareFolder(const std::filesystem::path& exeDir);

// The installed copy's data folder: "$XDG_DATA_HOME/quillory" when XDG_DATA_HOME is an absolute
// path, else "$HOME/.local/share/quillory" (the account's home folder when HOME is not set).
std::filesystem::path UserDataFolder();

}  // namespace quillory
