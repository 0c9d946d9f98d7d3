#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "mail/IdLineWriter.h"
#include "net/transport/IdComponent.h"
#include "net/transport/IdIOHandler.h"
#include "net/transport/IdInterrupt.h"
#include "net/transport/IdManagedBuffer.h"
#include "net/transport/IdRFCReply.h"

namespace quillory {

enum class TIdMaxLineAction { maException, maSplit };

// A transport turned into a connection for a line-oriented protocol: received bytes wait in an
// input buffer, lines are read up to LF with a length limit, texts and lines are written, and a
// peer that closes is noticed. Writes are collected in a write buffer and go out in few large
// sends: before anything is read (so a command and its reply alternate as on an unbuffered
// connection), when the buffer passes WriteBufferThreshold, and on FlushWriteBuffer.
class TIdTCPConnection : public TIdComponent, public TIdLineWriter {
public:
    using TIdComponent::NotifyStatus;
    using TAllowedCodes = std::vector<short>;

    TIdTCPConnection();
    ~TIdTCPConnection() override;

    // The transport; null when none is assigned.
    TIdIOHandler* IOHandler() { return ioHandler_.get(); }
    // Assigns a transport (a wrapping transport, say); the connection owns it from now on and
    // keeps it across CloseConnection.
    void SetIOHandler(std::unique_ptr<TIdIOHandler> handler);
    // Hands the transport to the caller (to wrap it, say) and forgets it.
    std::unique_ptr<TIdIOHandler> ReleaseIOHandler();

    // Ends the connection at once from any thread: a wait, a connect or a blocking call of the
    // thread that uses the connection returns, and no further connect starts. For good: a
    // connection interrupted once refuses to open again (EIdOperationCancelled).
    void Interrupt() { interrupt_.Trigger(); }
    bool Interrupted() const { return interrupt_.Triggered(); }

    bool IsConnected();
    // Completes a close that the peer or a drop began; raises EIdConnClosedGracefully when
    // `raise` and nothing is left to read (or `ignoreBuffer`). Returns whether disconnected.
    bool CheckDisconnected(bool raise = true, bool ignoreBuffer = false);
    // One receive into the input buffer: the count added, -1 when nothing came within the time
    // and `raiseOnTimeout` is false, 0 when the connection has ended. A timeout of -1 means
    // ReadTimeout, whose 0 means no limit.
    int FillInputBuffer(bool raiseIfDisconnected = true, int timeout = IdTimeoutDefault,
                        bool raiseOnTimeout = true);
    // The next line without its terminator (and, for LF, without a CR before it). Raises
    // EIdReadLnMaxLineLengthExceeded past the maximum length (-1: MaxLineLength, 0: none) with
    // maException, returns the cut line with maSplit. Ends with an empty text and LineTimedOut
    // when the peer closes in the middle of a line or an explicit timeout expires.
    std::string ReadLine(const std::string& terminator = "\n", int timeout = IdTimeoutDefault,
                         int maxLength = -1);
    // The first line that is not empty after trimming bytes of code 32 or below at both ends.
    std::string ReadNonEmptyLine(int tries);
    void ReadBytes(void* buffer, std::size_t count);
    // Everything until the peer closes.
    std::string ReadUntilClosed();
    bool LineSplit() const { return lineSplit_; }
    bool LineTimedOut() const { return lineTimedOut_; }

    void WriteText(const std::string& text) override;
    void WriteLine(const std::string& line) override;
    void WriteLines(const std::vector<std::string>& lines) override;
    void WriteBytes(const void* buffer, std::size_t count);
    void WriteInt32(std::uint32_t value, bool networkOrder = true);
    // Sends everything the write buffer holds.
    void FlushWriteBuffer();

    // Line-writer notifications, reported as this component's status and work.
    void NotifyStatus(const std::string& text) override { NotifyStatus(TIdStatus::hsStatusText, text); }
    void StartWork(TWorkMode mode, long long size) override { TIdComponent::StartWork(mode, size); }
    void FinishWork(TWorkMode mode) override { TIdComponent::FinishWork(mode); }

    // Protocol replies (RFC 5321 §4.2). A first line with "-" after its code opens a reply of
    // several lines, which ends at the first line with a blank there (or too short to have one);
    // the reply's code is that of its last line. SendCommand refuses a command holding CR, LF or
    // NUL with EIdInvalidCommandText before writing anything, then writes it as one line and reads
    // the reply.
    int SendCommand(const std::string& command, const TAllowedCodes& allowed);
    // -1 allows every code; any other value allows exactly that code.
    int SendCommand(const std::string& command, short allowed = -1);
    int ReadReply(const TAllowedCodes& allowed);
    void ReadReplyLines();
    // The code when `allowed` is empty or holds it; else EIdProtocolReplyError from LastReply.
    int CheckReplyCode(int code, const TAllowedCodes& allowed);
    // EIdProtocolReplyError with LastReply's text, each line followed by CR LF, NUL bytes as "?".
    [[noreturn]] void RaiseReplyError();
    const TIdRFCReply& LastReply() const { return lastReply_; }

    // The clock of ReplyTimeLimit over one reply: while the guard lives, every wait for bytes ends
    // once the reply's time is up (EIdReplyTimeout); the clock stops with the guard. ReadReplyLines
    // runs one; a protocol that reads its replies by other means (IMAP's responses) runs its own.
    class TReplyClock {
    public:
        explicit TReplyClock(TIdTCPConnection& connection);
        ~TReplyClock();
        TReplyClock(const TReplyClock&) = delete;
        TReplyClock& operator=(const TReplyClock&) = delete;

    private:
        TIdTCPConnection& connection_;
    };

    // Ends the socket at once, without a word to the peer.
    virtual void DropSocket();
    virtual void CloseConnection();
    // Forgets what was received and that the peer had closed.
    void ResetInput();

    TIdManagedBuffer& InputBuffer() { return inputBuffer_; }

    bool ASCIIFilter = false;
    TIdMaxLineAction MaxLineAction = TIdMaxLineAction::maException;
    int MaxLineLength = 16384;
    // Milliseconds a read waits for data, and a send for room; 0 means no limit.
    int ReadTimeout = 0;
    // Milliseconds from the moment a reply is awaited until its last line is in, however its
    // bytes trickle in (0: no limit); past it, EIdReplyTimeout. ReadTimeout alone restarts with
    // every byte, so a peer that sends one now and then would hold the connection for ever.
    int ReplyTimeLimit = 0;
    // The most lines, and bytes of line text, one reply may have (0: no limit); past either,
    // EIdReplyTooLong. RFC 5321 sets no bound, and a reply is collected whole before it is parsed.
    std::size_t MaxReplyLines = 1000;
    std::size_t MaxReplySize = 1024 * 1024;
    int RecvBufferSize = 32768;
    std::size_t WriteBufferThreshold = 256 * 1024;
    std::function<void(TIdTCPConnection& sender)> OnDisconnected;

protected:
    // Assigns a transport that CloseConnection frees again.
    void AdoptIOHandler(std::unique_ptr<TIdIOHandler> handler);
    bool OwnsTransportForOneConnection() const { return freeTransport_; }
    void ClearWriteBuffer() { writeBuffer_.clear(); }

private:
    std::string TooLongLine(std::size_t maxLength);
    void Append(std::string_view bytes, std::string_view ending);
    void NotifyDisconnected();
    void ApplyWriteTimeout();
    // How long to wait for the next bytes: `timeout`, or what is left of the reply's time when
    // that is shorter (then `cut` is set). Raises EIdReplyTimeout once that time is up.
    int WaitWithinReplyTime(int timeout, bool& cut) const;

    TIdInterrupt interrupt_;  // outlives the transport, whose socket is registered with it
    std::unique_ptr<TIdIOHandler> ioHandler_;
    bool freeTransport_ = false;
    bool closedByPeer_ = false;
    bool lineSplit_ = false;
    bool lineTimedOut_ = false;
    int appliedWriteTimeout_ = 0;
    TIdManagedBuffer inputBuffer_;
    std::string writeBuffer_;
    TIdRFCReply lastReply_;
    // Set while a reply is read with a ReplyTimeLimit.
    std::optional<std::chrono::steady_clock::time_point> replyDeadline_;
};

}  // namespace quillory
