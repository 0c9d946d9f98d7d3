#include "app/skin/SkinArchive.h"

#include <QSet>
#include <QStringDecoder>

#include <cstring>

namespace quillory {
namespace {

// Reads the archive front to back; every read checks that the bytes are there.
class TReader {
public:
    explicit TReader(const QByteArray& bytes) : bytes_(bytes) {}

    bool AtEnd() const { return position_ == bytes_.size(); }

    std::optional<QByteArray> Take(qsizetype count) {
        if (count < 0 || count > bytes_.size() - position_) return std::nullopt;
        QByteArray taken = bytes_.mid(position_, count);
        position_ += count;
        return taken;
    }
    template <class Number>
    std::optional<Number> TakeNumber() {
        const std::optional<QByteArray> raw = Take(sizeof(Number));
        if (!raw) return std::nullopt;
        Number value = 0;
        for (qsizetype i = raw->size(); i-- > 0;)
            value = static_cast<Number>((value << 8) | static_cast<uchar>(raw->at(i)));
        return value;
    }

private:
    const QByteArray& bytes_;
    qsizetype position_ = 0;
};

std::optional<QString> DecodeName(const QByteArray& raw) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString name = utf8.decode(raw);
    if (utf8.hasError()) return std::nullopt;
    return name;
}

}  // namespace

bool IsSkinFileName(const QString& name) {
    if (name.isEmpty() || name.contains('\\') || name.contains(':') || name.contains(QChar(0))) return false;
    for (const QString& part : name.split('/')) {
        if (part.isEmpty() || part == "." || part == "..") return false;
    }
    return true;
}

std::optional<std::vector<TSkinFile>> ReadSkinArchive(const QByteArray& packed) {
    if (packed.size() > kMaxSkinArchiveSize) return std::nullopt;
    TReader reader(packed);
    const std::optional<QByteArray> magic = reader.Take(std::strlen(kSkinArchiveMagic));
    if (!magic || *magic != kSkinArchiveMagic) return std::nullopt;
    const std::optional<quint32> count = reader.TakeNumber<quint32>();
    if (!count || *count == 0 || *count > kMaxSkinFiles) return std::nullopt;
    std::vector<TSkinFile> files;
    QSet<QString> names;
    for (quint32 n = 0; n < *count; ++n) {
        const std::optional<quint16> nameSize = reader.TakeNumber<quint16>();
        if (!nameSize || *nameSize == 0 || *nameSize > 255) return std::nullopt;
        const std::optional<QByteArray> rawName = reader.Take(*nameSize);
        const std::optional<QString> name = rawName ? DecodeName(*rawName) : std::nullopt;
        if (!name || !IsSkinFileName(*name) || names.contains(*name)) return std::nullopt;
        const std::optional<quint32> dataSize = reader.TakeNumber<quint32>();
        const std::optional<QByteArray> data = dataSize ? reader.Take(*dataSize) : std::nullopt;
        if (!data) return std::nullopt;
        names.insert(*name);
        files.push_back({*name, *data});
    }
    if (!reader.AtEnd() || !names.contains("Options.dat")) return std::nullopt;
    return files;
}

}  // namespace quillory
