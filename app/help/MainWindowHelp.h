#pragma once

#include <QString>

#include <memory>

#include "app/AppInfo.h"
#include "storage/ProgramFolders.h"

class QFrame;
class QWidget;
class QPushButton;

namespace quillory {

class TDesktop;
class TForm3;
class TFramelessIE;

// The main window's help: the online help, a panel over the window's content holding the help page
// with the button that closes it (the window builds both hidden; this opens and closes them), and
// the about box, made at its first use.
class MainWindowHelp {
public:
    MainWindowHelp(QWidget& window, TDesktop& desktop, QFrame& panel, QPushButton& closeButton,
                   const TProgramFolders& folders);
    ~MainWindowHelp();

    // Shows the help page in a new page view on top of the earlier ones ("Online nápověda programu").
    void Open();
    // Hides the panel with its page views ("Zavřít").
    void Close();

    // "O programu Quillory": shows the about box.
    void About();
    TForm3& Form3();

    // The page view on top: the newest one, none before the first opening.
    TFramelessIE* Browser() const { return browser_; }
    // The page the panel loads; the program's own help page unless set otherwise.
    void SetPageAddress(const QString& address) { pageAddress_ = address; }

private:
    QWidget& window_;
    TDesktop& desktop_;
    QFrame& panel_;
    QPushButton& closeButton_;
    const TProgramFolders& folders_;
    TFramelessIE* browser_ = nullptr;  // child of the panel, like the older views beneath it
    QString pageAddress_ = kHelpPageAddress;
    std::unique_ptr<TForm3> form3_;
};

}  // namespace quillory
