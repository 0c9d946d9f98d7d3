#include "storage/SkinArchive.h"

#include <set>

#include "core/Utf8.h"

namespace quillory {
namespace {

// Reads the archive front to back; every read checks that the bytes are there.
class TReader {
public:
    explicit TReader(std::string_view bytes) : bytes_(bytes) {}

    bool AtEnd() const { return position_ == bytes_.size(); }

    std::optional<std::string_view> Take(std::size_t count) {
        if (count > bytes_.size() - position_) return std::nullopt;
        const std::string_view taken = bytes_.substr(position_, count);
        position_ += count;
        return taken;
    }
    template <class Number>
    std::optional<Number> TakeNumber() {
        const std::optional<std::string_view> raw = Take(sizeof(Number));
        if (!raw) return std::nullopt;
        Number value = 0;
        for (std::size_t i = raw->size(); i-- > 0;)
            value = static_cast<Number>((value << 8) | static_cast<unsigned char>((*raw)[i]));
        return value;
    }

private:
    std::string_view bytes_;
    std::size_t position_ = 0;
};

}  // namespace

bool IsSkinFileName(std::string_view name) {
    if (name.empty() || name.find_first_of(std::string_view("\\:\0", 3)) != std::string_view::npos)
        return false;
    std::size_t start = 0;
    while (true) {
        const std::size_t slash = name.find('/', start);
        const std::string_view part =
            name.substr(start, slash == std::string_view::npos ? slash : slash - start);
        if (part.empty() || part == "." || part == "..") return false;
        if (slash == std::string_view::npos) return true;
        start = slash + 1;
    }
}

std::optional<std::vector<TSkinFile>> ReadSkinArchive(std::string_view packed) {
    if (packed.size() > kMaxSkinArchiveSize) return std::nullopt;
    TReader reader(packed);
    const std::optional<std::string_view> magic = reader.Take(kSkinArchiveMagic.size());
    if (!magic || *magic != kSkinArchiveMagic) return std::nullopt;
    const std::optional<std::uint32_t> count = reader.TakeNumber<std::uint32_t>();
    if (!count || *count == 0 || *count > kMaxSkinFiles) return std::nullopt;
    std::vector<TSkinFile> files;
    std::set<std::string_view> names;
    for (std::uint32_t n = 0; n < *count; ++n) {
        const std::optional<std::uint16_t> nameSize = reader.TakeNumber<std::uint16_t>();
        if (!nameSize || *nameSize == 0 || *nameSize > 255) return std::nullopt;
        const std::optional<std::string_view> name = reader.Take(*nameSize);
        if (!name || !IsValidUtf8(*name) || !IsSkinFileName(*name) || names.contains(*name))
            return std::nullopt;
        const std::optional<std::uint32_t> dataSize = reader.TakeNumber<std::uint32_t>();
        const std::optional<std::string_view> data = dataSize ? reader.Take(*dataSize) : std::nullopt;
        if (!data) return std::nullopt;
        names.insert(*name);
        files.push_back({std::string(*name), std::string(*data)});
    }
    if (!reader.AtEnd() || !names.contains("Options.dat")) return std::nullopt;
    return files;
}

}  // namespace quillory
