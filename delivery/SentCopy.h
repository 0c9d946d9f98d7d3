#pragma once

#include <ctime>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "net/smtp/SmtpAccount.h"

namespace quillory {

class SentCopyMailbox;
class SpoolFile;

// The copy of one sent message, kept as the account says: the message text is spooled to a file
// while it goes out over SMTP (Append, the client's OnMessageText), and once the server has
// accepted it the file becomes the local archive's .eml (Archive) and is stored in the mailbox's
// Sent folder over the session's IMAP connection (StoreOnServer). Memory stays bounded by the buffers: the
// text is never held whole. Nothing here stops or repeats the send: every failure is a warning of its own.
class SentCopy {
public:
    // `archiveFolder` is the data folder's "Odeslané"; `subject` (Windows-1250) and `sentAt` name
    // the archived file. Without a copy wanted by the account nothing is spooled.
    SentCopy(const TSmtpAccount& account, std::filesystem::path archiveFolder, const std::string& subject,
             std::time_t sentAt);
    ~SentCopy();
    SentCopy(const SentCopy&) = delete;
    SentCopy& operator=(const SentCopy&) = delete;

    // Whether the account wants a copy at all.
    bool Wanted() const { return account_.sentCopy.toServer || account_.sentCopy.localArchive; }
    // Bytes of the message text; never raises.
    void Append(std::string_view bytes) noexcept;

    // Names the spooled file in the archive folder. The error told in words when it could not be
    // kept (a full disk, a read-only folder), nothing when it was or the archive is off.
    std::optional<std::string> Archive();
    // Stores the spooled message in the mailbox's Sent folder (SentCopyMailbox::Store). Raises
    // ESpoolFileError when there is no spool to read, and the mailbox's errors.
    void StoreOnServer(SentCopyMailbox& mailbox);
    // Where the archived file is; empty before Archive succeeded.
    const std::filesystem::path& ArchivedFile() const { return archived_; }

    // "2026-12-10 14-03-22 Nabídka.eml": the time, then the subject with the characters a file name
    // cannot hold replaced, shortened to a length every file system takes.
    static std::string ArchiveFileName(const std::string& subject, std::time_t sentAt);

private:
    TSmtpAccount account_;
    std::filesystem::path archiveFolder_;
    std::string fileName_;
    std::unique_ptr<SpoolFile> spool_;
    // Why the spool could not be made in the archive folder (then it is made in the temporary folder).
    std::string archiveError_;
    std::string spoolError_;
    std::filesystem::path archived_;
};

}  // namespace quillory
