#pragma once

#include <string>

#include "delivery/AccessTokenSource.h"
#include "delivery/SentCopyAccount.h"

namespace quillory {

class ImapClient;
struct TImapMessageSource;

// The Sent folder of a mailbox over one IMAP connection, kept open for every copy of a session:
// the first Store connects and logs in (with the name and password, or with the access token
// `tokens` give, a refused one renewed once) and finds the folder (the one given, else the one the
// server flags \Sent); the later ones only store. A store that fails leaves the connection closed,
// and the next one opens a new one.
class SentCopyMailbox {
public:
    // `client` is set up for the server (ApplySentCopyAccount) and outlives this object.
    SentCopyMailbox(ImapClient& client, TImapLogin login, int connectTimeoutMs,
                    TAccessTokenSource tokens = {}, std::string folder = {});
    SentCopyMailbox(const SentCopyMailbox&) = delete;
    SentCopyMailbox& operator=(const SentCopyMailbox&) = delete;

    // Connects, logs in and finds the folder, when not open yet. Raises the client's errors and
    // the sign-in's, the connection closed.
    void Open();
    // APPEND of one message, marked \Seen, opening first when needed. Raises as Open does.
    void Store(const TImapMessageSource& message);
    // The wire name of the folder the copies go to; empty before the first Store found it.
    const std::string& Folder() const { return folder_; }
    // Whether the connection is logged in and kept for the next copy.
    bool IsOpen() const { return open_; }
    // LOGOUT when open, then the connection is closed in every case; the goodbye's error passes out.
    void Close();

private:
    void Drop() noexcept;

    ImapClient& client_;
    TImapLogin login_;
    int connectTimeoutMs_;
    TAccessTokenSource tokens_;
    std::string folder_;
    bool open_ = false;
};

}  // namespace quillory
