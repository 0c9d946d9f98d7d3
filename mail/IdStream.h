#pragma once

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>
#include <string_view>

namespace quillory {

class TIdLineWriter;

// A sequence of bytes with a position, read and written in blocks.
class TIdStream {
public:
    virtual ~TIdStream() = default;
    // Up to `count` bytes from the position; returns how many were read (0 at the end).
    virtual std::size_t Read(char* buffer, std::size_t count) = 0;
    virtual void Write(const char* buffer, std::size_t count) = 0;
    void Write(std::string_view bytes) { Write(bytes.data(), bytes.size()); }
    // The current position, or -1 when the stream cannot tell.
    virtual std::int64_t Position() const = 0;
    // Moves to `position` from the start; returns the new position or -1 when not possible.
    virtual std::int64_t Seek(std::int64_t position) = 0;
    // The bytes from the position to the end, or -1 when unknown.
    virtual std::int64_t Remaining() const = 0;
};

// Presents an existing string's bytes as a stream without copying them; writing writes nothing.
// The string must outlive the stream.
class TIdReadMemoryStream : public TIdStream {
public:
    TIdReadMemoryStream() = default;
    explicit TIdReadMemoryStream(std::string_view bytes) { SetBuffer(bytes); }
    void SetBuffer(std::string_view bytes) {
        bytes_ = bytes;
        position_ = 0;
    }
    std::size_t Read(char* buffer, std::size_t count) override;
    void Write(const char*, std::size_t) override {}
    std::int64_t Position() const override { return static_cast<std::int64_t>(position_); }
    std::int64_t Seek(std::int64_t position) override;
    std::int64_t Remaining() const override { return static_cast<std::int64_t>(bytes_.size() - position_); }

private:
    std::string_view bytes_;
    std::size_t position_ = 0;
};

// A growable block of bytes with a position.
class TIdMemoryStream : public TIdStream {
public:
    std::size_t Read(char* buffer, std::size_t count) override;
    void Write(const char* buffer, std::size_t count) override;
    std::int64_t Position() const override { return static_cast<std::int64_t>(position_); }
    std::int64_t Seek(std::int64_t position) override;
    std::int64_t Remaining() const override { return static_cast<std::int64_t>(bytes_.size() - position_); }
    const std::string& Bytes() const { return bytes_; }

private:
    std::string bytes_;
    std::size_t position_ = 0;
};

// A file opened for reading; raises EIdException when it cannot be opened.
class TIdFileReadStream : public TIdStream {
public:
    explicit TIdFileReadStream(const std::string& path);
    std::size_t Read(char* buffer, std::size_t count) override;
    void Write(const char*, std::size_t) override {}
    std::int64_t Position() const override;
    std::int64_t Seek(std::int64_t position) override;
    std::int64_t Remaining() const override;

private:
    mutable std::ifstream file_;
    std::int64_t size_ = 0;
};

// Writes go straight to a connection as raw bytes; the stream cannot read or seek.
class TIdTCPStream : public TIdStream {
public:
    explicit TIdTCPStream(TIdLineWriter& connection) : connection_(connection) {}
    std::size_t Read(char*, std::size_t) override { return 0; }
    void Write(const char* buffer, std::size_t count) override;
    std::int64_t Position() const override { return -1; }
    std::int64_t Seek(std::int64_t) override { return -1; }
    std::int64_t Remaining() const override { return -1; }

private:
    TIdLineWriter& connection_;
};

}  // namespace quillory
