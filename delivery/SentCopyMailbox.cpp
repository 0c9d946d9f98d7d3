#include "delivery/SentCopyMailbox.h"

#include "core/FirstError.h"
#include "net/imap/ImapClient.h"

namespace quillory {

SentCopyMailbox::SentCopyMailbox(ImapClient& client, TImapLogin login, int connectTimeoutMs,
                                 TAccessTokenSource tokens, std::string folder)
    : client_(client),
      login_(std::move(login)),
      connectTimeoutMs_(connectTimeoutMs),
      tokens_(std::move(tokens)),
      folder_(std::move(folder)) {}

void SentCopyMailbox::Open() {
    if (open_) return;
    try {
        OpenMailbox(client_, login_, tokens_, connectTimeoutMs_);
        if (folder_.empty()) folder_ = client_.FindSentFolder();
    } catch (...) {
        Drop();
        throw;
    }
    open_ = true;
}

void SentCopyMailbox::Store(const TImapMessageSource& message) {
    Open();
    try {
        client_.Append(folder_, message);
    } catch (...) {
        Drop();
        throw;
    }
}

void SentCopyMailbox::Drop() noexcept {
    open_ = false;
    try {
        if (client_.IsConnected()) client_.CloseConnection();
    } catch (...) {
        // The store's own error is the one to tell.
    }
}

void SentCopyMailbox::Close() {
    TFirstError error;
    if (open_) error.Run([this] { client_.Logout(); });
    open_ = false;
    error.Run([this] {
        if (client_.IsConnected()) client_.CloseConnection();
    });
    error.Rethrow();
}

}  // namespace quillory
