#include "app/send/SendWorker.h"

#include <exception>

#include "core/Exception.h"
#include "mail/IdMessage.h"
#include "net/IdSMTP.h"

namespace quillory {

namespace {

// The connect limit of the send command.
constexpr int kConnectTimeoutMs = 1000;

void CopySettings(const TIdSMTP& from, TIdSMTP& to) {
    to.Host = from.Host;
    to.Port = from.Port;
    to.Security = from.Security;
    to.SetUseEhlo(from.UseEhlo());
    to.SetAuthenticationType(from.AuthenticationType());
    to.Username = from.Username;
    to.Password = from.Password;
    to.ReadTimeout = from.ReadTimeout;
    to.HeloName = from.HeloName;
    to.MailAgent = from.MailAgent;
    to.MaxLineAction = from.MaxLineAction;
}

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
    if (client_) client_->Interrupt();
    if (thread_.joinable()) thread_.join();
}

void TSendWorker::Start(const TIdSMTP& settings, const TIdMessage& message) {
    if (running_) return;
    if (thread_.joinable()) thread_.join();
    client_ = std::make_unique<TIdSMTP>();
    CopySettings(settings, *client_);
    client_->OnStatus = [this](TIdComponent&, TIdStatus, const std::string& text) {
        const QString status = QString::fromStdString(text);
        QMetaObject::invokeMethod(
            this, [this, status] { emit statusChanged(status); }, Qt::QueuedConnection);
    };
    running_ = true;
    thread_ = std::thread(&TSendWorker::Run, this, message);
}

void TSendWorker::Cancel() {
    if (client_) client_->Interrupt();
}

void TSendWorker::Run(TIdMessage message) {
    TIdSMTP& smtp = *client_;
    TSendOutcome outcome;
    try {
        smtp.OpenConnection(kConnectTimeoutMs);
        smtp.SendMail(message);
    } catch (...) {
        std::string text;
        outcome.kind = TSendOutcome::TKind::Failed;
        (CurrentError(text) ? outcome.error : outcome.unhandledError) = text;
    }
    try {
        if (smtp.Connected()) smtp.CloseConnection();
    } catch (...) {
        std::string text;
        CurrentError(text);
        if (outcome.unhandledError.empty()) outcome.unhandledError = text;
    }
    if (smtp.Interrupted()) outcome = {TSendOutcome::TKind::Cancelled, {}, {}};
    QMetaObject::invokeMethod(
        this, [this, outcome] { Finish(outcome); }, Qt::QueuedConnection);
}

void TSendWorker::Finish(const TSendOutcome& outcome) {
    // The thread posted this as its last step: it has ended or is about to.
    if (thread_.joinable()) thread_.join();
    client_.reset();
    running_ = false;
    emit finished(outcome);
}

}  // namespace quillory
