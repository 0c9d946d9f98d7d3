#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace quillory {

// The connection's input buffer: received bytes not yet consumed. Consuming only advances a read
// offset; the rest is moved to the front once the consumed prefix reaches 32768 bytes, so taking
// a line never moves the bytes behind it.
class TIdManagedBuffer {
public:
    static constexpr std::size_t CompactionThreshold = 32768;

    std::size_t Size() const { return data_.size() - offset_; }
    std::string_view View() const { return std::string_view(data_).substr(offset_); }

    // Room for `count` more bytes at the end; Commit keeps the first `used` of them.
    char* Reserve(std::size_t count);
    void Commit(std::size_t reserved, std::size_t used);
    void Append(std::string_view bytes) { data_.append(bytes); }

    // The first `count` bytes, removed; more than Size raises EIdNotEnoughDataInBuffer.
    std::string TakeText(std::size_t count);
    void Discard(std::size_t count);
    void Clear();

    // Told the count of every removal.
    std::function<void(std::size_t)> OnRemove;

private:
    std::string data_;
    std::size_t offset_ = 0;
};

}  // namespace quillory
