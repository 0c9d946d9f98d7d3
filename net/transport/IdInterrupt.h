#pragma once

#include <mutex>

#include "net/transport/IdStack.h"

namespace quillory {

// Lets another thread end a connection at once. The socket of the connection is registered here
// while it is open; Trigger shuts it down in both directions, which wakes a wait, a connect or a
// blocking call on it at once, and from then on no new socket may be registered, so the
// connection cannot go on with another address either. A trigger stays for good.
class TIdInterrupt {
public:
    TIdInterrupt() = default;
    TIdInterrupt(const TIdInterrupt&) = delete;
    TIdInterrupt& operator=(const TIdInterrupt&) = delete;

    // Safe from any thread.
    void Trigger();
    bool Triggered() const;

    // Registers the socket just created; false (nothing registered) when already triggered.
    bool Attach(TIdStackSocketHandle handle);
    // Forgets the socket before it is closed, so a trigger never reaches a reused handle.
    void Detach(TIdStackSocketHandle handle);

private:
    mutable std::mutex lock_;
    bool triggered_ = false;
    TIdStackSocketHandle handle_ = Id_INVALID_SOCKET;
};

}  // namespace quillory
