#include "mail/IdStream.h"

#include <algorithm>
#include <cstring>

#include "mail/IdException.h"
#include "mail/IdLineWriter.h"

namespace quillory {

std::size_t TIdReadMemoryStream::Read(char* buffer, std::size_t count) {
    const std::size_t n = std::min(count, bytes_.size() - position_);
    if (n > 0) std::memcpy(buffer, bytes_.data() + position_, n);
    position_ += n;
    return n;
}

std::int64_t TIdReadMemoryStream::Seek(std::int64_t position) {
    position_ = static_cast<std::size_t>(
        std::clamp<std::int64_t>(position, 0, static_cast<std::int64_t>(bytes_.size())));
    return Position();
}

std::size_t TIdMemoryStream::Read(char* buffer, std::size_t count) {
    const std::size_t n = std::min(count, bytes_.size() - position_);
    if (n > 0) std::memcpy(buffer, bytes_.data() + position_, n);
    position_ += n;
    return n;
}

void TIdMemoryStream::Write(const char* buffer, std::size_t count) {
    if (position_ + count > bytes_.size()) bytes_.resize(position_ + count);
    if (count > 0) std::memcpy(bytes_.data() + position_, buffer, count);
    position_ += count;
}

std::int64_t TIdMemoryStream::Seek(std::int64_t position) {
    position_ = static_cast<std::size_t>(
        std::clamp<std::int64_t>(position, 0, static_cast<std::int64_t>(bytes_.size())));
    return Position();
}

TIdFileReadStream::TIdFileReadStream(const std::string& path) : file_(path, std::ios::binary) {
    if (!file_) throw EIdException("Cannot open file " + path);
    file_.seekg(0, std::ios::end);
    size_ = static_cast<std::int64_t>(file_.tellg());
    file_.seekg(0, std::ios::beg);
}

std::size_t TIdFileReadStream::Read(char* buffer, std::size_t count) {
    file_.read(buffer, static_cast<std::streamsize>(count));
    const auto n = static_cast<std::size_t>(file_.gcount());
    if (file_.eof()) file_.clear();
    return n;
}

std::int64_t TIdFileReadStream::Position() const { return static_cast<std::int64_t>(file_.tellg()); }

std::int64_t TIdFileReadStream::Seek(std::int64_t position) {
    file_.seekg(std::clamp<std::int64_t>(position, 0, size_));
    return Position();
}

std::int64_t TIdFileReadStream::Remaining() const { return size_ - Position(); }

void TIdTCPStream::Write(const char* buffer, std::size_t count) {
    connection_.WriteText(std::string(buffer, count));
}

}  // namespace quillory
