#include "app/desktop/SecretServiceKeyring.h"

#include <QEventLoop>
#include <QTimer>

#include <qt6keychain/keychain.h>

namespace quillory {

namespace {

struct TOutcome {
    bool finished = false;
    QKeychain::Error error = QKeychain::OtherError;
    QString text;
};

// Starts the job and waits for its end or the time limit. The job deletes itself when it ends,
// also when that is after the limit: the wait's end cuts its connection to us.
TOutcome Run(QKeychain::Job* job, int timeLimitMs) {
    TOutcome outcome;
    QEventLoop loop;
    QObject::connect(job, &QKeychain::Job::finished, &loop, [&outcome, &loop](QKeychain::Job* done) {
        outcome.finished = true;
        outcome.error = done->error();
        if (const auto* read = qobject_cast<QKeychain::ReadPasswordJob*>(done))
            outcome.text = read->textData();
        loop.quit();
    });
    QTimer::singleShot(timeLimitMs, &loop, &QEventLoop::quit);
    job->setAutoDelete(true);
    job->start();
    if (!outcome.finished) loop.exec(QEventLoop::ExcludeUserInputEvents);
    return outcome;
}

}  // namespace

TSecretServiceKeyring::TSecretServiceKeyring(QString service, int timeLimitMs)
    : service_(std::move(service)), timeLimitMs_(timeLimitMs) {}

TKeyring::TEntry TSecretServiceKeyring::Read(const QString& name) {
    auto* job = new QKeychain::ReadPasswordJob(service_);
    job->setKey(name);
    const TOutcome outcome = Run(job, timeLimitMs_);
    if (outcome.finished && outcome.error == QKeychain::NoError) return {TEntry::TState::Found, outcome.text};
    if (outcome.finished && outcome.error == QKeychain::EntryNotFound) return {TEntry::TState::Missing, {}};
    return {};
}

bool TSecretServiceKeyring::Write(const QString& name, const QString& secret) {
    auto* job = new QKeychain::WritePasswordJob(service_);
    job->setKey(name);
    job->setTextData(secret);
    const TOutcome outcome = Run(job, timeLimitMs_);
    return outcome.finished && outcome.error == QKeychain::NoError;
}

}  // namespace quillory
