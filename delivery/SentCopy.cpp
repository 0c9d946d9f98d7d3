#include "delivery/SentCopy.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/ProgramText.h"
#include "delivery/SentCopyMailbox.h"
#include "net/imap/ImapClient.h"
#include "storage/FileHandle.h"
#include "storage/SpoolFile.h"

namespace quillory {

namespace {

// Most file systems take names of 255 bytes; the time, the extension and a " (nn)" fit beside this.
constexpr std::size_t kSubjectBytes = 120;

std::string SubjectPart(const std::string& subject) {
    std::string text = ProgramTextToUtf8(subject);
    for (char& c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || c == '/' || c == '\\' || c == ':' || c == '*' || c == '?' || c == '"' ||
            c == '<' || c == '>' || c == '|' || byte == 0x7F)
            c = '_';
    }
    const auto first = text.find_first_not_of(" ._");
    text = first == std::string::npos ? std::string() : text.substr(first);
    while (!text.empty() && (text.back() == ' ' || text.back() == '.')) text.pop_back();
    if (text.size() > kSubjectBytes) {
        std::size_t cut = kSubjectBytes;
        // Never between the bytes of one UTF-8 character.
        while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
        text.resize(cut);
    }
    return text.empty() ? std::string("bez předmětu") : text;
}

}  // namespace

std::string SentCopy::ArchiveFileName(const std::string& subject, std::time_t sentAt) {
    std::tm local{};
    localtime_r(&sentAt, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H-%M-%S", &local);
    return std::string(stamp) + " " + SubjectPart(subject) + ".eml";
}

SentCopy::SentCopy(const TSmtpAccount& account, std::filesystem::path archiveFolder,
                   const std::string& subject, std::time_t sentAt)
    : account_(account),
      archiveFolder_(std::move(archiveFolder)),
      fileName_(ArchiveFileName(subject, sentAt)) {
    if (!Wanted()) return;
    if (account_.sentCopy.localArchive) {
        try {
            spool_ = std::make_unique<SpoolFile>(archiveFolder_);
            return;
        } catch (const ESpoolFileError& error) {
            archiveError_ = error.Message();
        }
    }
    if (!account_.sentCopy.toServer) return;
    try {
        spool_ = std::make_unique<SpoolFile>(std::filesystem::temp_directory_path());
    } catch (const ESpoolFileError& error) {
        spoolError_ = error.Message();
    } catch (const std::filesystem::filesystem_error& error) {
        spoolError_ = error.what();
    }
}

SentCopy::~SentCopy() = default;

void SentCopy::Append(std::string_view bytes) noexcept {
    if (spool_) spool_->Append(bytes);
}

std::optional<std::string> SentCopy::Archive() {
    if (!account_.sentCopy.localArchive) return std::nullopt;
    if (!archiveError_.empty()) return archiveError_;
    if (!spool_) return spoolError_;
    try {
        archived_ = spool_->Commit(fileName_);
        return std::nullopt;
    } catch (const ESpoolFileError& error) {
        return error.Message();
    }
}

void SentCopy::StoreOnServer(SentCopyMailbox& mailbox) {
    if (!spool_) throw ESpoolFileError(spoolError_.empty() ? archiveError_ : spoolError_);
    if (spool_->WriteError() != 0)
        throw ESpoolFileError(SpoolFile::DescribeError(spool_->Path(), spool_->WriteError()));
    const FileHandle file(::open(spool_->Path().c_str(), O_RDONLY | O_CLOEXEC));
    if (!file.IsOpen()) throw ESpoolFileError(SpoolFile::DescribeError(spool_->Path(), errno));
    TImapMessageSource source;
    source.size = spool_->Size();
    source.read = [&file](char* buffer, std::size_t capacity) -> std::size_t {
        for (;;) {
            const ssize_t count = ::read(file.Get(), buffer, capacity);
            if (count >= 0) return static_cast<std::size_t>(count);
            if (errno != EINTR)
                throw ESpoolFileError(std::string("Reading the copy: ") + std::strerror(errno));
        }
    };
    mailbox.Store(source);
}

}  // namespace quillory
