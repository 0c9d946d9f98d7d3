#include <QDir>

#include "app/Application.h"
#include "app/MainWindow.h"
#include "app/QtDesktop.h"

int main(int argc, char** argv) {
    quillory::TQtDesktop desktop;
    quillory::TApplication application(argc, argv, desktop);
    const std::filesystem::path exeDir =
        QDir(QCoreApplication::applicationDirPath()).absolutePath().toStdString();
    quillory::TForm1 form1(desktop, exeDir);
    form1.show();
    return application.exec();
}
