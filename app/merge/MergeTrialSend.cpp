#include "app/merge/MergeTrialSend.h"

#include <exception>

#include "app/ErrorTexts.h"
#include "delivery/DeliverySession.h"
#include "mail/IdMessage.h"
#include "net/smtp/SmtpAccount.h"

namespace quillory {

MergeTrialSend::MergeTrialSend(QObject* parent) : QObject(parent) {}

MergeTrialSend::~MergeTrialSend() {
    Cancel();
    if (thread_.joinable()) thread_.join();
}

void MergeTrialSend::Start(const TSmtpAccount& account, std::vector<TIdMessage> messages,
                           TAccessTokenSource tokens) {
    if (running_) return;
    if (thread_.joinable()) thread_.join();
    TSmtpAccount trial = account;
    trial.sentCopy.toServer = false;
    trial.sentCopy.localArchive = false;
    session_ = std::make_unique<DeliverySession>(trial, std::filesystem::path(), std::move(tokens));
    running_ = true;
    thread_ = std::thread(&MergeTrialSend::Run, this, std::move(messages));
}

void MergeTrialSend::Cancel() {
    if (session_) session_->Cancel();
}

void MergeTrialSend::Run(std::vector<TIdMessage> messages) {
    MergeTrialOutcome outcome;
    outcome.total = static_cast<int>(messages.size());
    for (TIdMessage& message : messages) {
        const TDeliveryResult result = session_->Send(message);
        if (result.Delivered()) {
            ++outcome.delivered;
            continue;
        }
        outcome.problem = QStringLiteral("zpráva nebyla odeslána");
        if (result.error) {
            try {
                std::rethrow_exception(result.error);
            } catch (...) {
                outcome.problem = SendErrorText();
            }
        }
        break;
    }
    try {
        session_->Close();
    } catch (...) {
        // Every message has its answer by now: a goodbye that fails changes none of them.
    }
    if (session_->Cancelled() && outcome.problem.isEmpty() && outcome.delivered < outcome.total)
        outcome.problem = QStringLiteral("odeslání bylo zrušeno");
    QMetaObject::invokeMethod(
        this,
        [this, outcome] {
            if (thread_.joinable()) thread_.join();
            session_.reset();
            running_ = false;
            emit finished(outcome);
        },
        Qt::QueuedConnection);
}

}  // namespace quillory
