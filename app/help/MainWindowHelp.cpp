// The main window's online help: a panel over the window's content holding the help page.

#include <QFrame>
#include <QPushButton>
#include <QUrl>

#include "app/MainWindow.h"
#include "app/desktop/ProgramFiles.h"
#include "app/help/FramelessBrowser.h"

namespace quillory {

// Every opening adds one more page view on top of the earlier ones, which stay beneath it until the
// window goes. The view is made before anything is shown, so a view that cannot be made leaves the
// window as it was instead of covering it with an empty panel. When the help page cannot be reached,
// the view shows the user guide shipped with the program.
void TForm1::Onlinenpovda1Click() {
    auto* browser = new TFramelessIE(sPanel4);
    if (const auto guide = BundledGuide(folders_))
        browser->SetBundledGuide(QString::fromStdString(guide->string()));
    helpBrowser_ = browser;
    sPanel4->show();
    sPanel4->raise();
    browser->setGeometry(sPanel4->contentsRect());
    browser->show();
    browser->raise();
    browser->Navigate(QUrl(helpPageAddress_));
    sBitBtn26->show();
    sBitBtn26->raise();
}

// The page views stay, hidden with the panel.
void TForm1::sBitBtn26Click() {
    sPanel4->hide();
    sBitBtn26->hide();
}

}  // namespace quillory
