#include "app/FontWarmup.h"

#include <QFontDatabase>
#include <QStringList>

#include <system_error>

#ifdef QUILLORY_HAVE_FONTCONFIG
#include <fontconfig/fontconfig.h>
#endif

namespace quillory {
namespace {

void PrepareFonts() {
#ifdef QUILLORY_HAVE_FONTCONFIG
    // FcInit keeps the configuration it reads as the process's own, the one Qt's font database asks for.
    FcInit();
#endif
    QFontDatabase::families();  // fills the database; its functions may be called from any thread
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
