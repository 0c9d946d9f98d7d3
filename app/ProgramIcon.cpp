#include "app/ProgramIcon.h"

#include <QImage>
#include <QPixmap>
#include <QResource>

namespace quillory {

QIcon ProgramIcon() {
    QIcon icon;
    for (const int size : {48, 128, 256}) {
        const QResource pixels(QStringLiteral(":/icons/quillory-%1.argb").arg(size));
        if (pixels.size() != qint64(size) * size * 4 ||
            pixels.compressionAlgorithm() != QResource::NoCompression)
            continue;
        const QImage picture(pixels.data(), size, size, size * 4, QImage::Format_ARGB32_Premultiplied);
        icon.addPixmap(QPixmap::fromImage(picture));
    }
    return icon;
}

}  // namespace quillory
