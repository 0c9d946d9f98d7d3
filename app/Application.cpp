#include "app/Application.h"

#include "app/AppInfo.h"
#include "app/ErrorHandler.h"

namespace quillory {

TApplication::TApplication(int& argc, char** argv, TDesktop& desktop)
    : QApplication(argc, argv), desktop_(desktop) {
    setApplicationName(kApplicationTitle);
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
