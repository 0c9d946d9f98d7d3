#include "app/account/ImapFolderFetch.h"

#include "app/Win1250Text.h"
#include "app/account/AccountErrorText.h"
#include "core/Exception.h"
#include "delivery/SentCopyAccount.h"

namespace quillory {

ImapFolderFetch::ImapFolderFetch(QObject* parent) : QObject(parent) {}

ImapFolderFetch::~ImapFolderFetch() {
    if (client_) client_->Interrupt();
    if (thread_.joinable()) thread_.join();
}

void ImapFolderFetch::Start(const TSmtpAccount& account, TAccessTokenSource tokens) {
    if (running_) return;
    if (thread_.joinable()) thread_.join();
    client_ = std::make_unique<ImapClient>();
    running_ = true;
    thread_ = std::thread(&ImapFolderFetch::Run, this, account, std::move(tokens));
}

void ImapFolderFetch::Run(TSmtpAccount account, TAccessTokenSource tokens) {
    std::vector<TImapFolder> folders;
    QString sent;
    QString error;
    try {
        ApplySentCopyAccount(*client_, account);
        OpenSentCopyMailbox(*client_, account, tokens);
        folders = client_->ListFolders();
        try {
            sent = QString::fromStdString(ImapClient::FindSentFolder(folders));
        } catch (const EImapNoSentFolder&) {}
        client_->Logout();
    } catch (const Exception& failure) {
        error = SentCopyErrorText();
        if (error.isEmpty()) error = FromWin1250(failure.Message()).trimmed();
    } catch (const std::exception& failure) {
        error = QString::fromLocal8Bit(failure.what());
    }
    try {
        if (client_->IsConnected()) client_->CloseConnection();
    } catch (...) {}
    QMetaObject::invokeMethod(
        this,
        [this, folders, sent, error] {
            if (thread_.joinable()) thread_.join();
            client_.reset();
            running_ = false;
            emit finished(folders, sent, error);
        },
        Qt::QueuedConnection);
}

}  // namespace quillory
