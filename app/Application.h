#pragma once

#include <QApplication>

namespace quillory {

class TDesktop;

// The application object. Every handler guards itself; as a last line of defence, an exception that
// still reaches the event loop goes to the default error handler instead of ending the program.
// It names the program's desktop entry, gives every window the program's icon and speaks Czech in
// Qt's own dialogs.
class TApplication : public QApplication {
public:
    TApplication(int& argc, char** argv, TDesktop& desktop);
    bool notify(QObject* receiver, QEvent* event) override;

private:
    TDesktop& desktop_;
};

}  // namespace quillory
