#include "app/FontWarmup.h"

#include <QFontDatabase>
#include <QStringList>

#ifdef QUILLORY_HAVE_FONTCONFIG
#include <fontconfig/fontconfig.h>
#endif

namespace quillory {

TFontWarmup::TFontWarmup()
    : preparer_([] {
#ifdef QUILLORY_HAVE_FONTCONFIG
          // FcInit keeps the configuration it reads as the process's own, the one Qt's font
          // database asks for.
          FcInit();
#endif
          QFontDatabase::families();  // fills the database; its functions may be called from any thread
      }) {
}

TFontWarmup::~TFontWarmup() { preparer_.join(); }

}  // namespace quillory
