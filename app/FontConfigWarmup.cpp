#include "app/FontConfigWarmup.h"

#ifdef QUILLORY_HAVE_FONTCONFIG
#include <fontconfig/fontconfig.h>
#endif

namespace quillory {

TFontConfigWarmup::TFontConfigWarmup() {
#ifdef QUILLORY_HAVE_FONTCONFIG
    // FcInit keeps the configuration it reads as the process's own, the one Qt's font database asks for.
    reader_ = std::thread([] { FcInit(); });
#endif
}

TFontConfigWarmup::~TFontConfigWarmup() {
    if (reader_.joinable()) reader_.join();
}

}  // namespace quillory
