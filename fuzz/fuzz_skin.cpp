// The skin readers on any bytes. Byte 0 chooses the reader; the rest is its input.
// - Even: a packed skin. What the archive reader accepts names only files inside the skin folder,
//   each once, Options.dat among them; unpacked into a folder, the loader then reads it as the
//   program does.
// - Odd: the style sheet Options.dat of a skin folder that holds one picture and a link to a file
//   outside the folder. Every url(...) of a sheet the loader accepts names a file inside the folder.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <filesystem>

#include "app/skin/SkinArchive.h"
#include "app/skin/SkinStyleSheet.h"
#include "support/FuzzCheck.h"
#include "support/TempFile.h"

using namespace quillory;
using quillory::fuzz::Check;

namespace {

// The smallest picture the image reader accepts: a PNG of one pixel.
const QByteArray kPicture = QByteArray::fromBase64(
    "iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mP8z8DwHwAFBQIAX8jx0gAAAABJRU5ErkJggg==");

QString Folder(const char* name) {
    const std::filesystem::path path = fuzz::ScratchFolder() / name;
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
    std::filesystem::create_directories(path);
    return QString::fromStdString(path.string());
}

bool WriteFile(const QString& path, const QByteArray& data) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

// Every url(...) of a resolved sheet names a file inside `root`.
void CheckUrlsInside(const QString& sheet, const QString& root) {
    static const QRegularExpression url(R"re(url\(\s*(["']?)([^"')]*)\1\s*\))re");
    const QString inside = QFileInfo(root).canonicalFilePath() + '/';
    for (auto it = url.globalMatch(sheet); it.hasNext();) {
        const QString path = QDir::cleanPath(it.next().captured(2).trimmed());
        Check(path.startsWith(inside));
    }
}

void ReadPacked(const QByteArray& packed) {
    const auto files = ReadSkinArchive(packed);
    if (!files) return;
    const QString root = Folder("unpacked");
    QSet<QString> names;
    bool options = false;
    for (const TSkinFile& file : *files) {
        Check(IsSkinFileName(file.name) && !names.contains(file.name));
        names.insert(file.name);
        options = options || file.name == "Options.dat";
        const QString path = QDir::cleanPath(QDir(root).absoluteFilePath(file.name));
        Check(path.startsWith(root + '/'));
        // A name that is a folder of another name cannot be written, as in the program.
        if (!QDir(root).mkpath(QFileInfo(path).absolutePath()) || !WriteFile(path, file.data)) return;
    }
    Check(options);
    if (const auto sheet = ReadSkinStyleSheet(QDir(root))) CheckUrlsInside(*sheet, root);
}

void ReadOptions(const QByteArray& options) {
    const QString outside = Folder("outside");
    Check(WriteFile(outside + "/secret.png", kPicture));
    const QString root = Folder("skin");
    Check(QDir(root).mkpath("images") && WriteFile(root + "/images/wood.png", kPicture) &&
          QFile::link(outside + "/secret.png", root + "/images/link.png") &&
          WriteFile(root + "/Options.dat", options));
    if (const auto sheet = ReadSkinStyleSheet(QDir(root))) CheckUrlsInside(*sheet, root);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const QByteArray input(reinterpret_cast<const char*>(data) + 1, static_cast<qsizetype>(size - 1));
    if (data[0] & 1) ReadOptions(input);
    else ReadPacked(input);
    return 0;
}
