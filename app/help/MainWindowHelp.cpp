#include "app/help/MainWindowHelp.h"

#include <QFrame>
#include <QPushButton>
#include <QUrl>

#include "app/desktop/ProgramFiles.h"
#include "app/help/AboutDialog.h"
#include "app/help/FramelessBrowser.h"

namespace quillory {

MainWindowHelp::MainWindowHelp(QWidget& window, TDesktop& desktop, QFrame& panel, QPushButton& closeButton,
                               const TProgramFolders& folders)
    : window_(window), desktop_(desktop), panel_(panel), closeButton_(closeButton), folders_(folders) {}

MainWindowHelp::~MainWindowHelp() = default;

TForm3& MainWindowHelp::Form3() {
    if (!form3_) form3_ = std::make_unique<TForm3>(desktop_, &window_);
    return *form3_;
}

void MainWindowHelp::About() { Form3().exec(); }

// Every opening adds one more page view on top of the earlier ones, which stay beneath it until the
// window goes. The view is made before anything is shown, so a view that cannot be made leaves the
// window as it was instead of covering it with an empty panel. When the help page cannot be reached,
// the view shows the user guide shipped with the program.
void MainWindowHelp::Open() {
    auto* browser = new TFramelessIE(&panel_);
    if (const auto guide = BundledGuide(folders_))
        browser->SetBundledGuide(QString::fromStdString(guide->string()));
    browser_ = browser;
    panel_.show();
    panel_.raise();
    browser->setGeometry(panel_.contentsRect());
    browser->show();
    browser->raise();
    browser->Navigate(QUrl(pageAddress_));
    closeButton_.show();
    closeButton_.raise();
}

// The page views stay, hidden with the panel.
void MainWindowHelp::Close() {
    panel_.hide();
    closeButton_.hide();
}

}  // namespace quillory
