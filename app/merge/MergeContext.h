#pragma once

#include <filesystem>
#include <functional>

#include "delivery/AccessTokenSource.h"
#include "merge/MergePlan.h"

namespace quillory {

class AddressBookStore;
class TDesktop;
class TFormStorage;
struct TSmtpAccount;

// The folder of the data folder where the runs' journals, plans and reports are kept.
inline constexpr const char* kMergeRunsFolderName = "Hromadné odeslání";

// What the mail merge's window works with, given by the main window: the desktop, the address
// book, the stored account, where runs and sent messages are kept, the message as the main window
// composes it now and the access tokens of an account that signs in with Microsoft.
struct MergeContext {
    TDesktop& desktop;
    AddressBookStore& book;
    TFormStorage& storage;
    // The runs' journals, plans and reports.
    std::filesystem::path runsFolder;
    // Delivered messages' archive ("Odeslané" in the data folder).
    std::filesystem::path sentArchive;
    // The sender, the subject and the text with their placeholders not filled, the copies when
    // ticked and the shared attachments.
    std::function<MergeMessage()> composition;
    std::function<TAccessTokenSource(const TSmtpAccount& account)> tokens;
};

}  // namespace quillory
