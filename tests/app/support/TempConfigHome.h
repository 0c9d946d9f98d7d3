#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace quillory::test {

// Points XDG_CONFIG_HOME, where the form storage keeps its INI file, at a fresh temporary folder
// for the object's lifetime, so every window under test starts without stored settings and leaves
// none behind. Put one in any fixture that creates the main window.
class TTempConfigHome {
public:
    TTempConfigHome();
    ~TTempConfigHome();
    TTempConfigHome(const TTempConfigHome&) = delete;
    TTempConfigHome& operator=(const TTempConfigHome&) = delete;

    QString Path() const { return dir_.path(); }
    // How many homes are in place now; the process keeps one for its whole run.
    static int Live() { return live_; }
    // The INI file the main window of this test executable uses.
    QString IniPath() const;

private:
    static inline int live_ = 0;
    QTemporaryDir dir_;
    QByteArray old_;
    bool hadOld_ = false;
};

}  // namespace quillory::test
