#pragma once

#include <QString>

namespace quillory {

// The desktop session's store for secrets, by name; the program keeps the SMTP password there when
// the session has one.
class TKeyring {
public:
    struct TEntry {
        enum class TState {
            Found,
            Missing,      // the keyring answered: it holds nothing under the name
            Unavailable,  // no keyring answered, or it refused (locked, access denied, time out)
        };
        TState state = TState::Unavailable;
        QString secret;
    };

    virtual ~TKeyring() = default;
    virtual TEntry Read(const QString& name) = 0;
    // False when the keyring did not take the secret.
    virtual bool Write(const QString& name, const QString& secret) = 0;
};

}  // namespace quillory
