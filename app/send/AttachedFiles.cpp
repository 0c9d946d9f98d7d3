#include "app/send/AttachedFiles.h"

#include <algorithm>

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QMimeDatabase>

namespace quillory {

namespace {

QString Quoted(const QString& name) { return QStringLiteral("„%1“").arg(name); }

QString FormatBytes(qint64 bytes) {
    return QLocale(QLocale::Czech, QLocale::CzechRepublic).toString(bytes) + QStringLiteral(" bajtů");
}

}  // namespace

QString TAttachedFile::Name() const { return QFileInfo(path).fileName(); }

TAttachedFiles::TAddResult TAttachedFiles::Add(const QString& path) {
    const QFileInfo info(path);
    if (info.isDir()) return TAddResult::Folder;
    if (!info.exists()) return TAddResult::NotFound;
    const QString canonical = info.canonicalFilePath();
    for (const TAttachedFile& file : files_)
        if (file.path == canonical) return TAddResult::AlreadyAttached;
    files_.append({canonical, info.size(), false});
    emit changed();
    return TAddResult::Added;
}

void TAttachedFiles::Remove(int index) {
    if (index < 0 || index >= files_.size()) return;
    files_.removeAt(index);
    emit changed();
}

void TAttachedFiles::Clear() {
    files_.clear();
    emit changed();
}

void TAttachedFiles::Restore(const QStringList& paths) {
    files_.clear();
    for (const QString& path : paths) {
        const QFileInfo info(path);
        if (info.isFile()) {
            const QString canonical = info.canonicalFilePath();
            const bool seen = std::any_of(files_.begin(), files_.end(),
                                          [&](const TAttachedFile& file) { return file.path == canonical; });
            if (!seen) files_.append({canonical, info.size(), false});
        } else {
            files_.append({info.absoluteFilePath(), 0, true});
        }
    }
    emit changed();
}

QStringList TAttachedFiles::Paths() const {
    QStringList paths;
    for (const TAttachedFile& file : files_) paths.append(file.path);
    return paths;
}

QList<TAttachedFile> TAttachedFiles::FilesToSend() const {
    QList<TAttachedFile> files;
    for (const TAttachedFile& file : files_)
        if (!file.missing) files.append(file);
    return files;
}

qint64 TAttachedFiles::TotalSize() const {
    qint64 total = 0;
    for (const TAttachedFile& file : files_)
        if (!file.missing) total += file.size;
    return total;
}

std::optional<QString> CheckAttachedFile(const TAttachedFile& file) {
    const QFileInfo info(file.path);
    const QString name = Quoted(file.Name());
    if (!info.exists())
        return QStringLiteral("Přiložený soubor %1 už neexistuje (%2). Zpráva nebyla odeslána.")
            .arg(name, file.path);
    QFile reading(file.path);
    if (info.isDir() || !reading.open(QIODevice::ReadOnly))
        return QStringLiteral("Přiložený soubor %1 nelze přečíst (%2). Zpráva nebyla odeslána.")
            .arg(name, file.path);
    if (info.size() != file.size)
        return QStringLiteral(
                   "Přiložený soubor %1 se od přiložení změnil: měl %2, nyní má %3. Odeberte ho a "
                   "přiložte znovu. Zpráva nebyla odeslána.")
            .arg(name, FormatBytes(file.size), FormatBytes(info.size()));
    return std::nullopt;
}

QString ContentTypeOf(const QString& path) {
    const QMimeDatabase database;
    QMimeType type = database.mimeTypeForFile(path);
    // An empty file has no content to tell its type: its name does.
    if (type.name() == "application/x-zerosize")
        type = database.mimeTypeForFile(path, QMimeDatabase::MatchExtension);
    return type.isValid() ? type.name() : QStringLiteral("application/octet-stream");
}

QString FormatSize(qint64 bytes) {
    const QLocale czech(QLocale::Czech, QLocale::CzechRepublic);
    if (bytes < 1000) return QStringLiteral("%1 B").arg(bytes);
    static const char* const kUnits[] = {"kB", "MB", "GB", "TB"};
    double value = static_cast<double>(bytes);
    int unit = -1;
    while (value >= 1000 && unit < 3) {
        value /= 1000;
        ++unit;
    }
    return czech.toString(value, 'f', 1) + " " + kUnits[unit];
}

}  // namespace quillory
