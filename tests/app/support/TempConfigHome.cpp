#include "support/TempConfigHome.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <memory>

namespace quillory::test {

TTempConfigHome::TTempConfigHome()
    : old_(qgetenv("XDG_CONFIG_HOME")), hadOld_(qEnvironmentVariableIsSet("XDG_CONFIG_HOME")) {
    qputenv("XDG_CONFIG_HOME", dir_.path().toLocal8Bit());
    ++live_;
}

TTempConfigHome::~TTempConfigHome() {
    --live_;
    if (hadOld_) {
        qputenv("XDG_CONFIG_HOME", old_);
    } else {
        qunsetenv("XDG_CONFIG_HOME");
    }
}

QString TTempConfigHome::IniPath() const {
    return dir_.path() + "/" + QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName() + ".INI";
}

namespace {

// No test executable writes into the user's own configuration folder, whatever its fixtures do.
const auto kProcessConfigHome = std::make_unique<TTempConfigHome>();

}  // namespace

}  // namespace quillory::test
