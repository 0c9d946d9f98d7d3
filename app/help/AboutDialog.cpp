#include "app/help/AboutDialog.h"

#include <QLabel>
#include <QPushButton>
#include <QStyle>

#include "app/AppInfo.h"
#include "app/help/WebLabel.h"

namespace quillory {

TForm3::TForm3(TDesktop& desktop, QWidget* mainWindow) : QDialog(mainWindow), mainWindow_(mainWindow) {
    setObjectName("Form3");
    setWindowTitle("O programu Quillory");
    setFixedSize(393, 126);
    QFont font = this->font();
    font.setPixelSize(11);
    setFont(font);
    auto* title = new QLabel(kMainWindowCaption, this);
    title->setObjectName("sLabelFX1");
    QFont titleFont = title->font();
    titleFont.setBold(true);
    titleFont.setPixelSize(13);
    title->setFont(titleFont);
    title->setStyleSheet("color: rgb(55, 33, 7);");
    title->setGeometry(100, 20, 193, 18);
    auto* link = new TsWebLabel(desktop, kWebSiteHost, kWebSiteAddress, this);
    link->setObjectName("sWebLabel1");
    QFont linkFont = link->font();
    linkFont.setPixelSize(12);
    link->setFont(linkFont);
    link->setGeometry(109, 48, 176, 13);
    auto* ok = new QPushButton("Ok", this);
    ok->setObjectName("sBitBtn1");
    ok->setGeometry(148, 80, 97, 25);
    ok->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

void TForm3::showEvent(QShowEvent* event) {
    // Placed at a fixed offset from the main window.
    if (mainWindow_) move(mainWindow_->x() + 330, mainWindow_->y() + 160);
    QDialog::showEvent(event);
}

}  // namespace quillory
