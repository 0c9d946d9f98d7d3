#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include "delivery/AccessTokenSource.h"

namespace quillory {

class AddressBookStore;
class TAttachedFiles;
class TDesktop;
class TFormStorage;
struct TSmtpAccount;

// The folder of the data folder where the runs' journals, plans and reports are kept.
inline constexpr const char* kMergeRunsFolderName = "Hromadné odeslání";

// What the main window composes, as a mail merge takes it: the texts in the program's 8-bit form,
// the placeholders not filled yet (each recipient fills them with their own values).
struct MergeComposition {
    std::string sender;   // "Od"
    std::string subject;  // "Předmět"
    // The preview's text as its pieces make it, before its placeholders are filled: lines ended
    // by CR LF.
    std::string body;
    std::string copies;  // "Kopie" when ticked, else empty
};

// What the mail merge's window works with, given by the main window: the desktop, the address
// book, the stored account, the shared attachments, where runs and sent messages are kept, the
// composition as it is now and the access tokens of an account that signs in with Microsoft.
struct MergeContext {
    TDesktop& desktop;
    AddressBookStore& book;
    TFormStorage& storage;
    TAttachedFiles& attached;
    // The runs' journals, plans and reports.
    std::filesystem::path runsFolder;
    // Delivered messages' archive ("Odeslané" in the data folder).
    std::filesystem::path sentArchive;
    std::function<MergeComposition()> composition;
    std::function<TAccessTokenSource(const TSmtpAccount& account)> tokens;
};

}  // namespace quillory
