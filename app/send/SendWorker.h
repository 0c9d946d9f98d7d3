#pragma once

#include <QObject>
#include <QString>

#include <memory>
#include <string>
#include <thread>

namespace quillory {

class TIdMessage;
class TIdSMTP;

// How a send ended, for the window to tell the user.
struct TSendOutcome {
    enum class TKind { Delivered, Failed, Cancelled };
    TKind kind = TKind::Delivered;
    // With Failed: the error's message, shown after "Chyba: ".
    std::string error;
    // An error the send itself does not report (from the final disconnect, or one outside the
    // program's error base): the default error handler shows it. Empty when none.
    std::string unhandledError;
};

// Runs one send beside the user-interface thread: connect within 1000 ms, send the message, close
// the connection (QUIT) when it is still up. The thread owns its own SMTP client, configured as a
// copy of the window's, and its own copy of the message, so nothing is shared while it runs.
// Status texts and the outcome come back to the thread this object lives in as queued signals;
// no exception leaves the thread.
class TSendWorker : public QObject {
    Q_OBJECT
public:
    explicit TSendWorker(QObject* parent = nullptr);
    // Ends a send still running at once and waits for its thread.
    ~TSendWorker() override;

    // Starts a send with a client configured like `settings` (server, port, security, login,
    // timeouts) and a copy of `message`. Ignored while a send runs.
    void Start(const TIdSMTP& settings, const TIdMessage& message);
    // Ends the connection at once; the send finishes as Cancelled.
    void Cancel();
    // From Start until finished has been emitted.
    bool Running() const { return running_; }

signals:
    // A status text of the connection ("Connecting to 127.0.0.1.").
    void statusChanged(const QString& text);
    void finished(const quillory::TSendOutcome& outcome);

private:
    void Run(TIdMessage message);
    void Finish(const TSendOutcome& outcome);

    std::unique_ptr<TIdSMTP> client_;  // made before the thread starts, freed after it has ended
    std::thread thread_;
    bool running_ = false;
};

}  // namespace quillory
