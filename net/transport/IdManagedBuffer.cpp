#include "net/transport/IdManagedBuffer.h"

#include "net/transport/IdSocketExceptions.h"

namespace quillory {

char* TIdManagedBuffer::Reserve(std::size_t count) {
    const std::size_t size = data_.size();
    data_.resize(size + count);
    return data_.data() + size;
}

void TIdManagedBuffer::Commit(std::size_t reserved, std::size_t used) {
    data_.resize(data_.size() - reserved + used);
}

std::string TIdManagedBuffer::TakeText(std::size_t count) {
    if (count > Size()) throw EIdNotEnoughDataInBuffer();
    std::string text = data_.substr(offset_, count);
    Discard(count);
    return text;
}

void TIdManagedBuffer::Discard(std::size_t count) {
    if (count > Size()) throw EIdNotEnoughDataInBuffer();
    if (count == Size()) {
        Clear();
    } else {
        offset_ += count;
        if (offset_ >= CompactionThreshold) {
            data_.erase(0, offset_);
            offset_ = 0;
        }
    }
    if (OnRemove) OnRemove(count);
}

void TIdManagedBuffer::Clear() {
    data_.clear();
    offset_ = 0;
}

}  // namespace quillory
