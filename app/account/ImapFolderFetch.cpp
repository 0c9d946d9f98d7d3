#include "app/account/ImapFolderFetch.h"

#include "app/Win1250Text.h"
#include "core/Exception.h"
#include "net/SentCopyAccount.h"

namespace quillory {

ImapFolderFetch::ImapFolderFetch(QObject* parent) : QObject(parent) {}

ImapFolderFetch::~ImapFolderFetch() {
    if (client_) client_->Interrupt();
    if (thread_.joinable()) thread_.join();
}

void ImapFolderFetch::Start(const TSmtpAccount& account) {
    if (running_) return;
    if (thread_.joinable()) thread_.join();
    client_ = std::make_unique<ImapClient>();
    running_ = true;
    thread_ = std::thread(&ImapFolderFetch::Run, this, account);
}

void ImapFolderFetch::Run(TSmtpAccount account) {
    std::vector<TImapFolder> folders;
    QString sent;
    QString error;
    try {
        ApplySentCopyAccount(*client_, account);
        client_->OpenConnection(account.connectTimeoutMs);
        const TImapLogin login = SentCopyLogin(account);
        client_->Login(login.user, login.password);
        folders = client_->ListFolders();
        try {
            sent = QString::fromStdString(ImapClient::FindSentFolder(folders));
        } catch (const EImapNoSentFolder&) {}
        client_->Logout();
    } catch (const Exception& failure) {
        error = FromWin1250(failure.Message()).trimmed();
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
