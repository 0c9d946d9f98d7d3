#include "net/transport/IdInterrupt.h"

#include <sys/socket.h>

namespace quillory {

void TIdInterrupt::Trigger() {
    std::lock_guard guard(lock_);
    triggered_ = true;
    // The owning thread still closes the socket; this only makes every call on it return.
    if (handle_ != Id_INVALID_SOCKET) ::shutdown(handle_, SHUT_RDWR);
}

bool TIdInterrupt::Triggered() const {
    std::lock_guard guard(lock_);
    return triggered_;
}

bool TIdInterrupt::Attach(TIdStackSocketHandle handle) {
    std::lock_guard guard(lock_);
    if (triggered_) return false;
    handle_ = handle;
    return true;
}

void TIdInterrupt::Detach(TIdStackSocketHandle handle) {
    std::lock_guard guard(lock_);
    if (handle_ == handle) handle_ = Id_INVALID_SOCKET;
}

}  // namespace quillory
