#include "app/skin/SkinStyleSheet.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QRegularExpression>
#include <QStringDecoder>

#include "app/skin/SkinArchive.h"

namespace quillory {
namespace {

constexpr qint64 kMaxStyleSheetSize = 1024 * 1024;

std::optional<QString> ReadUtf8(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxStyleSheetSize) return std::nullopt;
    const QByteArray bytes = file.readAll();
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError()) return std::nullopt;
    return text;
}

bool BracesBalance(const QString& sheet) {
    int depth = 0;
    for (const QChar ch : sheet) {
        if (ch == '{') ++depth;
        if (ch == '}' && --depth < 0) return false;
    }
    return depth == 0;
}

// The absolute path of an image the sheet names; a link that leads out of the folder does not count.
std::optional<QString> ImagePath(const QDir& folder, const QString& name) {
    if (!IsSkinFileName(name) || name.contains('"')) return std::nullopt;
    const QString root = QFileInfo(folder.absolutePath()).canonicalFilePath();
    const QString path = QFileInfo(folder.absoluteFilePath(name)).canonicalFilePath();
    if (root.isEmpty() || path.isEmpty() || !path.startsWith(root + '/')) return std::nullopt;
    if (!QImageReader(path).canRead()) return std::nullopt;
    return path;
}

}  // namespace

std::optional<QString> ReadSkinStyleSheet(const QDir& folder) {
    const std::optional<QString> sheet = ReadUtf8(folder.absoluteFilePath("Options.dat"));
    if (!sheet || sheet->trimmed().isEmpty() || !BracesBalance(*sheet)) return std::nullopt;
    static const QRegularExpression url(R"re(url\(\s*(["']?)([^"')]*)\1\s*\))re");
    QString resolved;
    qsizetype copied = 0;
    for (QRegularExpressionMatchIterator it = url.globalMatch(*sheet); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        const std::optional<QString> path = ImagePath(folder, match.captured(2).trimmed());
        if (!path) return std::nullopt;
        resolved += sheet->mid(copied, match.capturedStart() - copied) + "url(\"" + *path + "\")";
        copied = match.capturedEnd();
    }
    resolved += sheet->mid(copied);
    return resolved;
}

}  // namespace quillory
