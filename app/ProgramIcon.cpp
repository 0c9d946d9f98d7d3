#include "app/ProgramIcon.h"

#include <QImage>
#include <QPixmap>
#include <QResource>

#include <cstring>
#include <utility>

namespace quillory {

QIcon ProgramIcon() {
    QIcon icon;
    for (const int size : {48, 128, 256}) {
        const QResource pixels(QStringLiteral(":/icons/quillory-%1.argb").arg(size));
        const qint64 bytes = qint64(size) * size * 4;
        if (pixels.size() != bytes || pixels.compressionAlgorithm() != QResource::NoCompression) continue;
        // Copied rather than shown in place: a picture's rows must start at 4-byte boundaries, which
        // the resource's place in the program does not promise.
        QImage picture(size, size, QImage::Format_ARGB32_Premultiplied);
        std::memcpy(picture.bits(), pixels.data(), bytes);
        icon.addPixmap(QPixmap::fromImage(std::move(picture)));
    }
    return icon;
}

}  // namespace quillory
