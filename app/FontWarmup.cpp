#include "app/FontWarmup.h"

#include <QFontDatabase>
#include <QStringList>

#include <system_error>

namespace quillory {
namespace {

void PrepareFonts() {
    // Fills the database, reading the system's font configuration first. Its functions may be
    // called from any thread; they hold one lock while they fill it, so a font lookup of the window
    // meanwhile waits for the filling instead of doing it a second time.
    QFontDatabase::families();
}

}  // namespace

TFontWarmup::TFontWarmup() {
    try {
        preparer_ = std::thread(PrepareFonts);
    } catch (const std::system_error&) {
        // No thread to spare: the window's first font lookup prepares the fonts itself.
    }
}

TFontWarmup::~TFontWarmup() {
    if (preparer_.joinable()) preparer_.join();
}

}  // namespace quillory
