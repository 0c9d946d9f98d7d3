#pragma once

#include <filesystem>
#include <functional>

#include "delivery/AccessTokenSource.h"
#include "merge/MergePlan.h"
#include "storage/ProgramFolders.h"

namespace quillory {

class AddressBookStore;
class TDesktop;
class TFormStorage;
struct TSmtpAccount;

// What the mail merge's window works with, given by the main window: the desktop, the address
// book, the stored account, the program's folders (the runs are kept in the data folder, the
// sending limits come with the program), the archive of sent messages, the message as the main
// window composes it now and the access tokens of an account that signs in with Microsoft.
struct MergeContext {
    TDesktop& desktop;
    AddressBookStore& book;
    TFormStorage& storage;
    TProgramFolders folders;
    // Delivered messages' archive ("Odeslané" in the data folder).
    std::filesystem::path sentArchive;
    // The sender, the subject and the text with their placeholders not filled, the copies when
    // ticked and the shared attachments.
    std::function<MergeMessage()> composition;
    std::function<TAccessTokenSource(const TSmtpAccount& account)> tokens;
};

}  // namespace quillory
