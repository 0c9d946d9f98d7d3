#pragma once

#include <QIcon>

namespace quillory {

// The program's icon at 48, 128 and 256 pixels. Its pictures are built into the program as plain
// pixels: making the icon decodes nothing. (A window hands every size to the
// window manager as it first shows, so a compressed picture would be decoded at every start.)
QIcon ProgramIcon();

}  // namespace quillory
