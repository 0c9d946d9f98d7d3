// The main window's menu bar: its menus and items, each with its name, caption and handler.

#include <QAction>
#include <QMenuBar>

#include "app/MainWindow.h"

namespace quillory {

void TForm1::CreateMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName("MainMenu1");
    auto addMenu = [bar](const char* name, const QString& caption) {
        QMenu* menu = bar->addMenu(caption);
        menu->setObjectName(name);
        menu->menuAction()->setObjectName(name);
        return menu;
    };
    // A menu item; choosing it runs `handler` (none for a separator).
    const auto addItem = [this](QMenu* menu, const char* name, const QString& caption,
                                THandler handler = nullptr) {
        QAction* item = caption == "-" ? menu->addSeparator() : menu->addAction(caption);
        item->setObjectName(name);
        if (handler != nullptr) OnClick(item, handler);
    };
    QMenu* file = addMenu("Soubor1", "Soubor");
    addItem(file, "Uloit1", "Uložit text emailu", &TForm1::FileSaveAs1Accept);
    addItem(file, "Piloitsoubory1", "Přiložit soubory…", &TForm1::Piloitsoubory1Click);
    addItem(file, "OdeslanaPosta1", "Odeslaná pošta…", &TForm1::OdeslanaPosta1Click);
    addItem(file, "Hromadneodeslani1", "Hromadné odeslání…", &TForm1::Hromadneodeslani1Click);
    addItem(file, "N2", "-");
    addItem(file, "Ukonit1", "Ukončit", &TForm1::Ukonit1Click);
    QMenu* run = addMenu("Vykonat1", "Vykonat");
    addItem(run, "Koprovattextemailu1", "Kopírovat text emailu", &TForm1::sBitBtn4Click);
    addItem(run, "Odeslatemail1", "Odeslat email", &TForm1::sBitBtn6Click);
    QMenu* settings = addMenu("Nastaven1", "Nastavení");
    addItem(settings, "Serverodchozpoty1", "Odchozí pošta", &TForm1::sBitBtn1Click);
    QMenu* tools = toolsMenu_ = addMenu("Nstroje1", "Nástroje");
    addItem(tools, "Adres1", "Adresář…", &TForm1::Adres1Click);
    addItem(tools, "Vchoznastaven1", "Výchozí nastavení", &TForm1::Vchoznastaven1Click);
    QMenu* help = addMenu("Npovda1", "Nápověda");
    addItem(help, "Webovstrnkaprogramu1", "Webová stránka programu", &TForm1::Webovstrnkaprogramu1Click);
    addItem(help, "Onlinenpovda1", "Online nápověda programu", &TForm1::Onlinenpovda1Click);
    addItem(help, "Updateprogramu1", "Update programu", &TForm1::Updateprogramu1Click);
    addItem(help, "N3", "-");
    addItem(help, "OprogramuQuillory1", "O programu Quillory", &TForm1::OprogramuQuillory1Click);
}

}  // namespace quillory
