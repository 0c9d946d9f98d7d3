// The skin readers on any bytes. Byte 0 chooses the reader; the rest is its input.
// - Even: a packed skin. What the archive reader accepts names only files inside the skin folder,
//   each once, Options.dat among them; the look is then read from its files as the program does.
// - Odd: the Options.dat of a skin that holds one picture and one file that is not a picture.
// A look that is read keeps its sizes within 0 to 32 pixels, and every picture it sets is one.
#include <QByteArray>
#include <QDir>
#include <QSet>
#include <QString>

#include <cstddef>
#include <cstdint>

#include "app/skin/SkinArchive.h"
#include "app/skin/SkinLook.h"
#include "support/FuzzCheck.h"

using namespace quillory;
using quillory::fuzz::Check;

namespace {

// The smallest picture the PNG reader accepts: one pixel.
const QByteArray kPicture = QByteArray::fromBase64(
    "iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mP8z8DwHwAFBQIAX8jx0gAAAABJRU5ErkJggg==");

void CheckLook(const std::optional<TSkinLook>& look) {
    if (!look) return;
    Check(look->panel.radius >= 0 && look->panel.radius <= 32);
    Check(look->button.radius >= 0 && look->button.radius <= 32);
    for (const QImage* picture : {&look->window.picture, &look->checkBox.mark, &look->comboBox.arrow})
        Check(picture->isNull() || picture->width() > 0);
}

void ReadPacked(const QByteArray& packed) {
    const auto files = ReadSkinArchive(packed);
    if (!files) return;
    const QString root = QStringLiteral("/skins/Wood");
    QSet<QString> names;
    for (const TSkinFile& file : *files) {
        Check(IsSkinFileName(file.name) && !names.contains(file.name));
        names.insert(file.name);
        Check(QDir::cleanPath(QDir(root).absoluteFilePath(file.name)).startsWith(root + '/'));
    }
    Check(names.contains(QStringLiteral("Options.dat")));
    CheckLook(ReadSkinLook([&files](const QString& name) -> std::optional<QByteArray> {
        for (const TSkinFile& file : *files)
            if (file.name == name) return file.data;
        return std::nullopt;
    }));
}

void ReadOptions(const QByteArray& options) {
    CheckLook(ReadSkinLook([&options](const QString& name) -> std::optional<QByteArray> {
        if (name == QStringLiteral("Options.dat")) return options;
        if (name == QStringLiteral("images/wood.png")) return kPicture;
        if (name == QStringLiteral("images/text.png")) return QByteArray("not a picture");
        return std::nullopt;
    }));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const QByteArray input(reinterpret_cast<const char*>(data) + 1, static_cast<qsizetype>(size - 1));
    if (data[0] & 1) ReadOptions(input);
    else ReadPacked(input);
    return 0;
}
