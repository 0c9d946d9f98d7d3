#include "app/Application.h"

#include "app/AppInfo.h"
#include "app/ErrorHandler.h"
#include "app/ProgramIcon.h"
#include "app/desktop/QtTranslations.h"

namespace quillory {

TApplication::TApplication(int& argc, char** argv, TDesktop& desktop)
    : QApplication(argc, argv), desktop_(desktop) {
    setApplicationName(kApplicationTitle);
    setApplicationVersion(kVersion);
    // The desktop entry's name: the task bar finds the program's entry and icon through it.
    setDesktopFileName(kApplicationId);
    // The program's own pictures, not the icon theme's (searching the theme was a third of the
    // start's work): the installed theme icon is this same picture, and the desktop finds it through
    // the desktop file name anyway.
    setWindowIcon(ProgramIcon());
    InstallQtTranslations(*this);
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        ReportCurrentException(desktop_, activeWindow());
        return false;
    }
}

}  // namespace quillory
