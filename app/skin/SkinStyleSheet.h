#pragma once

#include <QString>

#include <optional>

class QDir;

namespace quillory {

// The style sheet of the skin folder `folder` ("Options.dat") with every url(...) turned into the
// absolute path of its file, or nothing when Options.dat is missing, not UTF-8, empty or with
// unbalanced braces, or names a file that is outside the folder or not a readable image.
std::optional<QString> ReadSkinStyleSheet(const QDir& folder);

}  // namespace quillory
