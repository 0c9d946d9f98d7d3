#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "delivery/AccessTokenSource.h"
#include "net/imap/ImapClient.h"
#include "net/smtp/SmtpAccount.h"

namespace quillory {

// Asks the IMAP server of an account for its folders beside the user-interface thread, for the
// settings dialog's folder choice: connect, log in, LIST, LOGOUT. The result comes back as a
// queued signal; no exception leaves the thread.
class ImapFolderFetch : public QObject {
    Q_OBJECT
public:
    explicit ImapFolderFetch(QObject* parent = nullptr);
    // Ends a fetch still running at once and waits for its thread.
    ~ImapFolderFetch() override;

    // Ignored while a fetch runs. `tokens` serve an account signed in with Microsoft
    // (MicrosoftTokens::ForWorker).
    void Start(const TSmtpAccount& account, TAccessTokenSource tokens = {});
    bool Running() const { return running_; }

signals:
    // The folders and the wire name of the Sent folder among them (empty when none is found), or
    // an error told in words (`error` not empty).
    void finished(const std::vector<quillory::TImapFolder>& folders, const QString& sentFolder,
                  const QString& error);

private:
    void Run(TSmtpAccount account, TAccessTokenSource tokens);

    std::unique_ptr<ImapClient> client_;
    std::thread thread_;
    bool running_ = false;
};

}  // namespace quillory
