#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

namespace quillory {

// A packed skin ("<name>.asz") is the files of a skin folder in one file, all numbers little-endian:
//
//   magic        8 bytes   "QLRYSKN1"
//   count        u32       number of files, 1 to kMaxSkinFiles
//   count times:
//     name size  u16       1 to 255
//     name       bytes     UTF-8 path relative to the skin folder, "/" between folders;
//                          no empty, "." or ".." part, no "\" or ":"
//     data size  u32
//     data       bytes
//
// The file ends right after the last file's data. Names are unique; one of them is "Options.dat".
inline constexpr char kSkinArchiveMagic[] = "QLRYSKN1";
inline constexpr quint32 kMaxSkinFiles = 256;
inline constexpr qint64 kMaxSkinArchiveSize = 32 * 1024 * 1024;

struct TSkinFile {
    QString name;
    QByteArray data;
};

// The files of a packed skin, or nothing when `packed` breaks any rule above.
std::optional<std::vector<TSkinFile>> ReadSkinArchive(const QByteArray& packed);

// Whether `name` may name a file inside a skin folder: relative, without "." or ".." parts.
bool IsSkinFileName(const QString& name);

}  // namespace quillory
