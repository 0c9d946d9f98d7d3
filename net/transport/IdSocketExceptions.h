#pragma once

#include <string>

#include "mail/IdException.h"

namespace quillory {

// A failed socket call: the Windows Sockets error number the user sees and the message
// "Socket Error # <number>\r\n<text>".
class EIdSocketError : public EIdException {
public:
    EIdSocketError(int lastError, const std::string& message)
        : EIdException(message), lastError_(lastError) {}
    int LastError() const { return lastError_; }

private:
    int lastError_;
};

class EIdStackError : public EIdException {
public:
    using EIdException::EIdException;
};

class EIdStackInitializationFailed : public EIdStackError {
public:
    EIdStackInitializationFailed() : EIdStackError("Winsock Initialization Error.") {}
};

class EIdStackSetSizeExceeded : public EIdStackError {
public:
    EIdStackSetSizeExceeded() : EIdStackError("Set Size Exceeded.") {}
};

class EIdInvalidSocket : public EIdException {
public:
    EIdInvalidSocket() : EIdException("Cannot allocate socket.") {}
};

class EIdInvalidServiceName : public EIdException {
public:
    explicit EIdInvalidServiceName(const std::string& name)
        : EIdException(name + " is not a valid service.") {}
};

// Errors of binding a socket handle to a local address.
class EIdSocketHandleError : public EIdException {
public:
    using EIdException::EIdException;
};

class EIdCouldNotBindSocket : public EIdSocketHandleError {
public:
    EIdCouldNotBindSocket()
        : EIdSocketHandleError("Could not bind socket. Address and port are already in use.") {}
};

class EIdInvalidPortRange : public EIdSocketHandleError {
public:
    EIdInvalidPortRange(int min, int max)
        : EIdSocketHandleError("Invalid Port Range (" + std::to_string(min) + " - " + std::to_string(max) +
                               ")") {}
};

class EIdCanNotBindPortInRange : public EIdSocketHandleError {
public:
    EIdCanNotBindPortInRange(int min, int max)
        : EIdSocketHandleError("Can not bind in port range (" + std::to_string(min) + " - " +
                               std::to_string(max) + ")") {}
};

// A connect within a time limit that failed: the message is that of the socket error.
class EIdConnectException : public EIdException {
public:
    using EIdException::EIdException;
};

class EIdConnectTimeout : public EIdException {
public:
    EIdConnectTimeout() : EIdException("Connect timed out.") {}
};

// Receiving or sending on a transport whose socket is not open.
class EIdClosedSocket : public EIdException {
public:
    EIdClosedSocket() : EIdException("Disconnected.") {}
};

// Errors that end an operation in an expected way (the peer said goodbye).
class EIdSilentException : public EIdException {
public:
    using EIdException::EIdException;
};

// The connection was ended on request from another thread (a cancelled send).
class EIdOperationCancelled : public EIdSilentException {
public:
    EIdOperationCancelled() : EIdSilentException("Operation cancelled.") {}
};

class EIdConnClosedGracefully : public EIdSilentException {
public:
    EIdConnClosedGracefully() : EIdSilentException("Connection Closed Gracefully.") {}
};

class EIdTCPConnectionError : public EIdException {
public:
    using EIdException::EIdException;
};

class EIdNotConnected : public EIdTCPConnectionError {
public:
    EIdNotConnected() : EIdTCPConnectionError("Not Connected") {}
};

class EIdNotEnoughDataInBuffer : public EIdTCPConnectionError {
public:
    EIdNotEnoughDataInBuffer() : EIdTCPConnectionError("Not enough data in buffer.") {}
};

class EIdNoDataToRead : public EIdTCPConnectionError {
public:
    EIdNoDataToRead() : EIdTCPConnectionError("No data to read.") {}
};

class EIdReadTimeout : public EIdException {
public:
    EIdReadTimeout() : EIdException("Read Timeout") {}
};

class EIdReadLnMaxLineLengthExceeded : public EIdException {
public:
    EIdReadLnMaxLineLengthExceeded() : EIdException("Max line length exceeded.") {}
};

// A reply with more lines or bytes than the connection accepts (MaxReplyLines, MaxReplySize).
class EIdReplyTooLong : public EIdException {
public:
    // `limit` names the bound passed: "1000 lines", "1048576 bytes".
    explicit EIdReplyTooLong(const std::string& limit)
        : EIdException("The server's reply is longer than " + limit + ".") {}
};

// No complete reply within the connection's ReplyTimeLimit, however its bytes trickled in.
class EIdReplyTimeout : public EIdException {
public:
    explicit EIdReplyTimeout(int limitMs);
};

class EIdAlreadyConnected : public EIdException {
public:
    EIdAlreadyConnected() : EIdException("Already connected.") {}
};

// A command or command argument holding CR, LF or NUL: sending it would let the text end the
// command early and smuggle further commands onto the wire (RFC 5321 §2.3.8).
class EIdInvalidCommandText : public EIdException {
public:
    explicit EIdInvalidCommandText(const std::string& what)
        : EIdException("Invalid character (CR, LF or NUL) in " + what + ".") {}
};

}  // namespace quillory
