#pragma once

#include <QObject>
#include <QString>

#include <memory>
#include <thread>
#include <vector>

#include "delivery/AccessTokenSource.h"

namespace quillory {

class DeliverySession;
class TIdMessage;
struct TSmtpAccount;

// How a trial send ended.
struct MergeTrialOutcome {
    int delivered = 0;  // messages the server took
    int total = 0;
    // Why the others did not go, in Czech with the server's or the library's words; empty when
    // every one went.
    QString problem;
};

// "Zkušební odeslání": sends a few finished messages, addressed to the sender, over one delivery
// session beside the user-interface thread. No copy of a trial is kept (neither in the Sent folder
// nor in the archive): it is not a message the recipients got. The outcome comes back as a queued
// signal; no exception leaves the thread.
class MergeTrialSend : public QObject {
    Q_OBJECT
public:
    explicit MergeTrialSend(QObject* parent = nullptr);
    // Ends a send still running at once and waits for its thread.
    ~MergeTrialSend() override;

    // Ignored while a trial runs.
    void Start(const TSmtpAccount& account, std::vector<TIdMessage> messages, TAccessTokenSource tokens);
    void Cancel();
    bool Running() const { return running_; }

signals:
    void finished(const quillory::MergeTrialOutcome& outcome);

private:
    void Run(std::vector<TIdMessage> messages);

    std::unique_ptr<DeliverySession> session_;
    std::thread thread_;
    bool running_ = false;
};

}  // namespace quillory
