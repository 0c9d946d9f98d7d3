#include "app/send/SendWorker.h"

#include <exception>

#include "core/Exception.h"
#include "mail/IdMessage.h"
#include "net/IdSMTP.h"
#include "net/SmtpAccount.h"

namespace quillory {

namespace {

// The text of the exception being handled; true when it is one of the program's own errors.
bool CurrentError(std::string& message) {
    try {
        throw;
    } catch (const Exception& error) {
        message = error.Message();
        return true;
    } catch (const std::exception& error) {
        message = error.what();
    } catch (...) {
        message = "Unknown error";
    }
    return false;
}

}  // namespace

TSendWorker::TSendWorker(QObject* parent) : QObject(parent) {}

TSendWorker::~TSendWorker() {
    if (IdSMTP1) IdSMTP1->Interrupt();
    if (thread_.joinable()) thread_.join();
}

void TSendWorker::Start(const TSmtpAccount& account, const TIdMessage& message) {
    if (running_) return;
    if (thread_.joinable()) thread_.join();
    auto client = std::make_unique<TIdSMTP>();
    client->Apply(account);
    IdSMTP1 = std::move(client);
    IdSMTP1->OnStatus = [this](TIdComponent&, TIdStatus, const std::string& text) {
        const QString status = QString::fromStdString(text);
        QMetaObject::invokeMethod(
            this, [this, status] { emit statusChanged(status); }, Qt::QueuedConnection);
    };
    running_ = true;
    thread_ = std::thread(&TSendWorker::Run, this, message, account.connectTimeoutMs);
}

void TSendWorker::Cancel() {
    if (IdSMTP1) IdSMTP1->Interrupt();
}

void TSendWorker::Run(TIdMessage message, int connectTimeoutMs) {
    TIdSMTP& smtp = *IdSMTP1;
    TSendOutcome outcome;
    bool delivered = false;
    try {
        smtp.OpenConnection(connectTimeoutMs);
        smtp.SendMail(message);
        delivered = true;
    } catch (...) {
        std::string text;
        outcome.kind = TSendOutcome::TKind::Failed;
        (CurrentError(text) ? outcome.error : outcome.unhandledError) = text;
    }
    try {
        if (smtp.Connected()) smtp.CloseConnection();
    } catch (...) {
        std::string text;
        // The server took the message with its 250: a goodbye that fails after that (a server
        // that resets the connection at once) leaves the message delivered, and telling the user
        // otherwise would have the message sent twice.
        const bool ours = CurrentError(text);
        if (!(delivered && ours) && outcome.unhandledError.empty()) outcome.unhandledError = text;
    }
    if (smtp.Interrupted()) outcome = {TSendOutcome::TKind::Cancelled, {}, {}};
    QMetaObject::invokeMethod(
        this, [this, outcome] { Finish(outcome); }, Qt::QueuedConnection);
}

void TSendWorker::Finish(const TSendOutcome& outcome) {
    // The thread posted this as its last step: it has ended or is about to.
    if (thread_.joinable()) thread_.join();
    IdSMTP1.reset();
    running_ = false;
    emit finished(outcome);
}

}  // namespace quillory
