// Writes the pixels of a picture as the program keeps its icon: 32-bit premultiplied ARGB in the
// machine's byte order, row after row, without a header. The program shows them as they are,
// without decoding anything at its start.
//
//   icon_pixels PICTURE.png OUTPUT

#include <QImage>

#include <cstdio>
#include <fstream>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: icon_pixels PICTURE OUTPUT\n");
        return 2;
    }
    const QImage picture =
        QImage(QString::fromLocal8Bit(argv[1])).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (picture.isNull()) {
        std::fprintf(stderr, "icon_pixels: cannot read %s\n", argv[1]);
        return 1;
    }
    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    for (int y = 0; y < picture.height(); ++y)
        out.write(reinterpret_cast<const char*>(picture.constScanLine(y)), picture.width() * 4);
    if (!out.flush()) {
        std::fprintf(stderr, "icon_pixels: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
