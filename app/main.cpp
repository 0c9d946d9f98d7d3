#include <QDir>

#include "app/Application.h"
#include "app/MainWindow.h"
#include "app/desktop/CloseOnSignal.h"
#include "app/desktop/CommandLine.h"
#include "app/desktop/ProgramFiles.h"
#include "app/desktop/QtDesktop.h"
#include "app/merge/MergeRunConsole.h"
#include "storage/ProgramFolders.h"

int main(int argc, char** argv) {
    if (const auto status = quillory::AnswerInformationOptions(argc, argv)) return *status;
    quillory::TCloseOnSignal::CatchSignals();
    // A run without a window draws nothing: it starts from a terminal, a timer or a remote shell
    // without a display as well.
    if (quillory::RunsWithoutWindow(argc, argv)) qputenv("QT_QPA_PLATFORM", "offscreen");
    quillory::TQtDesktop desktop;
    quillory::TApplication application(argc, argv, desktop);
    quillory::TCommandLineRun run;
    if (const auto status = quillory::AnswerCommandLine(QCoreApplication::arguments(), &run)) return *status;

    const quillory::TProgramFolders folders = quillory::TProgramFolders::Locate(
        QDir(QCoreApplication::applicationDirPath()).absolutePath().toStdString());
    if (run.resumeMerge) {
        // A mail merge run taken up without a window: a signal stops it.
        quillory::TCloseOnSignal closeOnSignal;
        quillory::MergeRunConsole console(desktop, folders);
        closeOnSignal.CloseFromTheEventLoop(console);
        return static_cast<int>(console.Run(run.maybeSentArrived));
    }
    quillory::PrepareDataFolder(folders);
    quillory::TCloseOnSignal closeOnSignal;
    quillory::TForm1 form1(desktop, folders);
    form1.show();
    closeOnSignal.CloseFromTheEventLoop(form1);
    return application.exec();
}
