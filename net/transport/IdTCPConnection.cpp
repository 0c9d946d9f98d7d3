#include "net/transport/IdTCPConnection.h"

#include <arpa/inet.h>

#include <algorithm>

#include "core/FirstError.h"
#include "net/transport/IdErrorNumbers.h"
#include "net/transport/IdSocketExceptions.h"

namespace quillory {

TIdTCPConnection::TIdTCPConnection() {
    inputBuffer_.OnRemove = [this](std::size_t count) {
        AddWork(TWorkMode::wmRead, static_cast<long long>(count));
    };
}

TIdTCPConnection::~TIdTCPConnection() {
    // Nobody is left to hear of a failed close: its error goes with the object.
    TFirstError dropped;
    dropped.Run([this] {
        if (ioHandler_) ioHandler_->CloseHandler();
    });
}

void TIdTCPConnection::SetIOHandler(std::unique_ptr<TIdIOHandler> handler) {
    if (ioHandler_) ioHandler_->SetInterrupt(nullptr);
    ioHandler_ = std::move(handler);
    if (ioHandler_) ioHandler_->SetInterrupt(&interrupt_);
    freeTransport_ = false;
    appliedWriteTimeout_ = -1;
}

void TIdTCPConnection::AdoptIOHandler(std::unique_ptr<TIdIOHandler> handler) {
    SetIOHandler(std::move(handler));
    freeTransport_ = true;
}

std::unique_ptr<TIdIOHandler> TIdTCPConnection::ReleaseIOHandler() {
    freeTransport_ = false;
    if (ioHandler_) ioHandler_->SetInterrupt(nullptr);
    return std::move(ioHandler_);
}

bool TIdTCPConnection::IsConnected() {
    CheckDisconnected(false, false);
    return ioHandler_ && ioHandler_->IsOpen();
}

bool TIdTCPConnection::CheckDisconnected(bool raise, bool ignoreBuffer) {
    bool disconnected = false;
    if (closedByPeer_ || !ioHandler_) {
        if (ioHandler_) {
            if (ioHandler_->IsOpen()) {
                DropSocket();
                NotifyStatus(TIdStatus::hsDisconnected);
                NotifyDisconnected();
            }
            disconnected = true;
        }
    } else {
        disconnected = !ioHandler_->IsOpen();
    }
    // Unread bytes postpone the exception for readers that may still consume them.
    if (disconnected && raise && (inputBuffer_.Size() == 0 || ignoreBuffer)) throw EIdConnClosedGracefully();
    return disconnected;
}

int TIdTCPConnection::FillInputBuffer(bool raiseIfDisconnected, int timeout, bool raiseOnTimeout) {
    FlushWriteBuffer();
    if (timeout == IdTimeoutDefault) timeout = ReadTimeout == 0 ? IdTimeoutInfinite : ReadTimeout;
    CheckDisconnected(raiseIfDisconnected, false);
    if (!IsConnected()) {
        if (raiseIfDisconnected) throw EIdNotConnected();
        return 0;
    }
    TIdStack& stack = SharedStack();
    long received = 0;
    do {
        bool cutByReplyTime = false;
        if (!ioHandler_->WaitReadable(WaitWithinReplyTime(timeout, cutByReplyTime))) {
            if (cutByReplyTime) throw EIdReplyTimeout(ReplyTimeLimit);
            if (raiseOnTimeout) throw EIdReadTimeout();
            return -1;
        }
        const std::size_t chunk = static_cast<std::size_t>(std::max(RecvBufferSize, 1));
        char* room = inputBuffer_.Reserve(chunk);
        received = ioHandler_->ReceiveBytes(room, chunk);
        inputBuffer_.Commit(chunk, received > 0 ? static_cast<std::size_t>(received) : 0);
        closedByPeer_ = received == 0;
        if (received != 0 && stack.CheckResult(received, {IdWSAESHUTDOWN, IdWSAECONNABORTED})) {
            const int error = stack.QueryLastError();  // before the drop, which sets its own
            received = 0;
            DropSocket();
            if (inputBuffer_.Size() == 0) stack.RaiseError(error);
        }
        if (received > 0 && ASCIIFilter) {
            char* added = room;
            std::for_each(added, added + received, [](char& c) { c = static_cast<char>(c & 0x7F); });
        }
        CheckDisconnected(raiseIfDisconnected, false);
    } while (received == 0 && IsConnected());
    return static_cast<int>(received);
}

int TIdTCPConnection::WaitWithinReplyTime(int timeout, bool& cut) const {
    if (!replyDeadline_) return timeout;
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(*replyDeadline_ - std::chrono::steady_clock::now())
            .count();
    if (left <= 0) throw EIdReplyTimeout(ReplyTimeLimit);
    if (timeout != IdTimeoutInfinite && timeout <= left) return timeout;
    cut = true;
    return static_cast<int>(left);
}

std::string TIdTCPConnection::ReadLine(const std::string& terminator, int timeout, int maxLength) {
    FlushWriteBuffer();
    const std::string ending = terminator.empty() ? std::string("\n") : terminator;
    const std::size_t limit =
        static_cast<std::size_t>(maxLength == -1 ? MaxLineLength : std::max(maxLength, 0));
    lineSplit_ = false;
    lineTimedOut_ = false;
    std::size_t found = std::string_view::npos;
    std::size_t searched = 0;
    for (;;) {
        const std::string_view visible = inputBuffer_.View();
        if (!visible.empty() && searched < visible.size()) {
            // Resume where the last search stopped; a longer terminator may straddle that point.
            const std::size_t from = searched >= ending.size() ? searched - (ending.size() - 1) : 0;
            found = visible.find(ending, from);
            searched = visible.size();
        }
        if (found != std::string_view::npos) {
            if (limit != 0 && found > limit) return TooLongLine(limit);
            break;
        }
        // The last bytes may be the start of a terminator whose rest has not arrived yet.
        if (limit != 0 && searched > limit + ending.size() - 1) return TooLongLine(limit);
        CheckDisconnected(true, true);
        const int added = FillInputBuffer(true, timeout, timeout == IdTimeoutDefault);
        if (added <= 0) {
            lineTimedOut_ = true;
            return {};
        }
    }
    std::string line = inputBuffer_.TakeText(found + ending.size());
    line.resize(found);
    if (ending == "\n" && !line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

std::string TIdTCPConnection::TooLongLine(std::size_t maxLength) {
    if (MaxLineAction == TIdMaxLineAction::maException) throw EIdReadLnMaxLineLengthExceeded();
    lineSplit_ = true;
    return inputBuffer_.TakeText(maxLength);
}

std::string TIdTCPConnection::ReadNonEmptyLine(int tries) {
    for (int i = 0; i < tries; ++i) {
        const std::string line = ReadLine();
        const auto first = std::find_if(line.begin(), line.end(), [](unsigned char c) { return c > ' '; });
        const auto last =
            std::find_if(line.rbegin(), line.rend(), [](unsigned char c) { return c > ' '; }).base();
        if (first < last) return std::string(first, last);
    }
    return {};
}

void TIdTCPConnection::ReadBytes(void* buffer, std::size_t count) {
    while (inputBuffer_.Size() < count) {
        FillInputBuffer(true, IdTimeoutDefault, true);
        CheckDisconnected(true, true);
    }
    const std::string bytes = inputBuffer_.TakeText(count);
    std::copy(bytes.begin(), bytes.end(), static_cast<char*>(buffer));
}

std::string TIdTCPConnection::ReadUntilClosed() {
    std::string all;
    StartWork(TWorkMode::wmRead, 0);
    // A work handler that raises at the end does not hide the error that ended the reading.
    RunThenCleanUp(
        [&] {
            while (IsConnected()) {
                FillInputBuffer(false, IdTimeoutDefault, true);
                all += inputBuffer_.TakeText(inputBuffer_.Size());
            }
        },
        [this] { FinishWork(TWorkMode::wmRead); });
    return all;
}

void TIdTCPConnection::WriteText(const std::string& text) { WriteBytes(text.data(), text.size()); }

void TIdTCPConnection::WriteLine(const std::string& line) { Append(line, "\r\n"); }

void TIdTCPConnection::WriteLines(const std::vector<std::string>& lines) {
    for (const auto& line : lines) WriteLine(line);
}

void TIdTCPConnection::WriteInt32(std::uint32_t value, bool networkOrder) {
    const std::uint32_t wire = networkOrder ? htonl(value) : value;
    WriteBytes(&wire, sizeof wire);
}

void TIdTCPConnection::WriteBytes(const void* buffer, std::size_t count) {
    if (count == 0 || buffer == nullptr) return;
    Append(std::string_view(static_cast<const char*>(buffer), count), {});
}

void TIdTCPConnection::Append(std::string_view bytes, std::string_view ending) {
    if (closedByPeer_ || !ioHandler_ || !ioHandler_->IsOpen()) {
        CheckDisconnected(true, true);
        throw EIdNotConnected();
    }
    writeBuffer_.append(bytes);
    writeBuffer_.append(ending);
    if (writeBuffer_.size() >= WriteBufferThreshold) FlushWriteBuffer();
}

void TIdTCPConnection::FlushWriteBuffer() {
    if (writeBuffer_.empty()) return;
    // Whatever happens, these bytes are gone: sent, or lost with a connection that failed.
    std::string pending;
    pending.swap(writeBuffer_);
    struct RecycleBuffer {
        std::string& pending;
        std::string& buffer;
        ~RecycleBuffer() {
            pending.clear();
            if (buffer.empty()) buffer.swap(pending);  // keep the capacity for the next writes
        }
    } recycle{pending, writeBuffer_};

    CheckDisconnected(true, true);
    if (!IsConnected()) throw EIdNotConnected();
    ApplyWriteTimeout();
    TIdStack& stack = SharedStack();
    std::size_t position = 0;
    while (position < pending.size()) {
        const long sent = ioHandler_->SendBytes(pending.data() + position, pending.size() - position);
        closedByPeer_ = sent == 0;
        CheckDisconnected(true, false);
        if (sent < 0 && stack.QueryLastError() == IdWSAEWOULDBLOCK) {
            // The peer took nothing for ReadTimeout ms: the connection is of no further use.
            DropSocket();
            stack.RaiseError(IdWSAETIMEDOUT);
        }
        if (stack.CheckResult(sent, {IdWSAESHUTDOWN, IdWSAECONNABORTED, IdWSAECONNRESET})) {
            // Read before the drop: closing the socket sets an error number of its own.
            const int error = stack.QueryLastError();
            DropSocket();
            stack.RaiseError(error);
        }
        AddWork(TWorkMode::wmWrite, sent);
        position += static_cast<std::size_t>(sent);
    }
}

void TIdTCPConnection::ApplyWriteTimeout() {
    if (appliedWriteTimeout_ == ReadTimeout) return;
    ioHandler_->SetWriteTimeout(ReadTimeout);
    appliedWriteTimeout_ = ReadTimeout;
}

void TIdTCPConnection::DropSocket() {
    if (!ioHandler_) return;
    closedByPeer_ = true;
    writeBuffer_.clear();
    ioHandler_->CloseHandler();
}

void TIdTCPConnection::CloseConnection() {
    // A status or disconnect handler that raises stops neither the close nor the other handlers;
    // its error is raised once the socket is closed.
    TFirstError error;
    error.Run([this] { NotifyStatus(TIdStatus::hsDisconnecting); });
    DropSocket();
    if (freeTransport_) {
        ioHandler_.reset();
        freeTransport_ = false;
    }
    error.Run([this] { NotifyDisconnected(); });
    error.Run([this] { NotifyStatus(TIdStatus::hsDisconnected); });
    error.Rethrow();
}

void TIdTCPConnection::ResetInput() {
    inputBuffer_.Clear();
    closedByPeer_ = false;
}

void TIdTCPConnection::NotifyDisconnected() {
    if (OnDisconnected) OnDisconnected(*this);
}

}  // namespace quillory
