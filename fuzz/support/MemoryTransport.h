#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

#include "net/transport/IdIOHandler.h"
#include "net/transport/IdSocketExceptions.h"

namespace quillory::fuzz {

// A transport whose peer is a fixed byte string: every receive hands out the next bytes, at most
// `chunk` at a time (0: as many as asked), then 0 for a peer that has closed. Input is always
// ready, so no read ever waits. What the client sends is kept.
class TMemoryTransport : public TIdIOHandler {
public:
    TMemoryTransport(std::string_view input, std::size_t chunk) : input_(input), chunk_(chunk) {}

    void EstablishConnection(const std::string&, int, const std::string&, int, int, int, int) override {
        open_ = true;
    }
    void CloseHandler() override { open_ = false; }
    bool IsOpen() const override { return open_; }
    bool WaitReadable(int) override { return true; }
    void SetWriteTimeout(int) override {}
    void SetInterrupt(TIdInterrupt*) override {}

    long ReceiveBytes(void* buffer, std::size_t length) override {
        if (!open_) throw EIdClosedSocket();
        std::size_t count = std::min(length, input_.size() - position_);
        if (chunk_ != 0) count = std::min(count, chunk_);
        std::memcpy(buffer, input_.data() + position_, count);
        position_ += count;
        return static_cast<long>(count);
    }
    long SendBytes(const void* buffer, std::size_t length) override {
        if (!open_) throw EIdClosedSocket();
        sent_.append(static_cast<const char*>(buffer), length);
        return static_cast<long>(length);
    }

    std::size_t Consumed() const { return position_; }
    const std::string& Sent() const { return sent_; }

private:
    std::string_view input_;
    std::size_t chunk_;
    std::size_t position_ = 0;
    std::string sent_;
    bool open_ = true;
};

}  // namespace quillory::fuzz
