// The main window's menu bar: its menus and items, each with its name, caption and handler.

#include <QAction>
#include <QMenuBar>

#include "app/MainWindow.h"

namespace quillory {

QAction* TForm1::MakeMenuItem(QMenu* menu, const char* name, const QString& caption, THandler handler) {
    QAction* item = caption == "-" ? menu->addSeparator() : menu->addAction(caption);
    item->setObjectName(name);
    if (handler != nullptr) OnClick(item, handler);
    return item;
}

void TForm1::CreateMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName("MainMenu1");
    auto addMenu = [bar](const char* name, const QString& caption) {
        QMenu* menu = bar->addMenu(caption);
        menu->setObjectName(name);
        menu->menuAction()->setObjectName(name);
        return menu;
    };
    QMenu* file = addMenu("Soubor1", "Soubor");
    MakeMenuItem(file, "Uloit1", "Uložit text emailu", &TForm1::FileSaveAs1Accept);
    MakeMenuItem(file, "Piloitsoubory1", "Přiložit soubory…", &TForm1::Piloitsoubory1Click);
    MakeMenuItem(file, "OdeslanaPosta1", "Odeslaná pošta…", &TForm1::OdeslanaPosta1Click);
    MakeMenuItem(file, "N2", "-");
    MakeMenuItem(file, "Ukonit1", "Ukončit", &TForm1::Ukonit1Click);
    QMenu* run = addMenu("Vykonat1", "Vykonat");
    MakeMenuItem(run, "Koprovattextemailu1", "Kopírovat text emailu", &TForm1::sBitBtn4Click);
    MakeMenuItem(run, "Odeslatemail1", "Odeslat email", &TForm1::sBitBtn6Click);
    QMenu* settings = addMenu("Nastaven1", "Nastavení");
    MakeMenuItem(settings, "Serverodchozpoty1", "Odchozí pošta", &TForm1::sBitBtn1Click);
    QMenu* tools = toolsMenu_ = addMenu("Nstroje1", "Nástroje");
    MakeMenuItem(tools, "Adres1", "Adresář…", &TForm1::Adres1Click);
    MakeMenuItem(tools, "Vchoznastaven1", "Výchozí nastavení", &TForm1::Vchoznastaven1Click);
    QMenu* help = addMenu("Npovda1", "Nápověda");
    MakeMenuItem(help, "Webovstrnkaprogramu1", "Webová stránka programu", &TForm1::Webovstrnkaprogramu1Click);
    MakeMenuItem(help, "Onlinenpovda1", "Online nápověda programu", &TForm1::Onlinenpovda1Click);
    MakeMenuItem(help, "Updateprogramu1", "Update programu", &TForm1::Updateprogramu1Click);
    MakeMenuItem(help, "N3", "-");
    MakeMenuItem(help, "OprogramuQuillory1", "O programu Quillory", &TForm1::OprogramuQuillory1Click);
}

}  // namespace quillory
