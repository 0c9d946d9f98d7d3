// The main window's menu bar: its menus and items, each with its name and caption.

#include <QAction>
#include <QMenuBar>

#include "app/MainWindow.h"

namespace quillory {

QAction* TForm1::MakeMenuItem(QMenu* menu, const char* name, const QString& caption) {
    QAction* item = caption == "-" ? menu->addSeparator() : menu->addAction(caption);
    item->setObjectName(name);
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
    MakeMenuItem(file, "Uloit1", "Uložit text emailu");
    MakeMenuItem(file, "N2", "-");
    MakeMenuItem(file, "Ukonit1", "Ukončit");
    QMenu* run = addMenu("Vykonat1", "Vykonat");
    MakeMenuItem(run, "Koprovattextemailu1", "Kopírovat text emailu");
    MakeMenuItem(run, "Odeslatemail1", "Odeslat email");
    QMenu* settings = addMenu("Nastaven1", "Nastavení");
    MakeMenuItem(settings, "Serverodchozpoty1", "Odchozí pošta");
    QMenu* tools = addMenu("Nstroje1", "Nástroje");
    MakeMenuItem(tools, "Vchoznastaven1", "Výchozí nastavení");
    QMenu* help = addMenu("Npovda1", "Nápověda");
    MakeMenuItem(help, "Webovstrnkaprogramu1", "Webová stránka programu");
    MakeMenuItem(help, "Onlinenpovda1", "Online nápověda programu");
    MakeMenuItem(help, "Updateprogramu1", "Update programu");
    MakeMenuItem(help, "N3", "-");
    MakeMenuItem(help, "OprogramuQuillory1", "O programu Quillory");
}

}  // namespace quillory
