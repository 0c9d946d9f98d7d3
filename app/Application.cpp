#include "app/Application.h"

#include <QIcon>

#include "app/AppInfo.h"
#include "app/ErrorHandler.h"
#include "app/desktop/QtTranslations.h"

namespace quillory {

TApplication::TApplication(int& argc, char** argv, TDesktop& desktop)
    : QApplication(argc, argv), desktop_(desktop) {
    setApplicationName(kApplicationTitle);
    setApplicationVersion(kVersion);
    // The desktop entry's name: the task bar finds the program's entry and icon through it.
    setDesktopFileName(kApplicationId);
    setWindowIcon(ApplicationIcon());
    InstallQtTranslations(*this);
}

QIcon TApplication::ApplicationIcon() {
    // The icon theme is not searched (a third of the start's work), as the installed theme icon is
    // this same picture and the desktop finds it through the desktop file name anyway. Each picture
    // is read as it is added, and kept: a window hands every size to the window manager when it
    // first shows. (An icon that reads its pictures only when drawn made the start's peak larger,
    // not smaller: they were then read among the window's own allocations.)
    QIcon icon;
    for (const int size : {48, 128, 256})
        icon.addFile(QStringLiteral(":/icons/quillory-%1.png").arg(size), QSize(size, size));
    return icon;
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
