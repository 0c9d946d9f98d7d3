#pragma once

#include "app/desktop/Keyring.h"

namespace quillory {

// The session's keyring through the Secret Service (on another desktop, its own keychain). Each
// call waits for the answer up to a time limit, with the event loop running but user input held
// back, so a session without a keyring, or one that never answers, costs at most that limit.
class TSecretServiceKeyring final : public TKeyring {
public:
    explicit TSecretServiceKeyring(QString service = "Quillory", int timeLimitMs = 10000);

    TEntry Read(const QString& name) override;
    bool Write(const QString& name, const QString& secret) override;

private:
    QString service_;
    int timeLimitMs_;
};

}  // namespace quillory
