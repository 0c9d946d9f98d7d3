// The address book in the main window at 10,000 entries: one keystroke in "Odeslat komu" (the
// completion list made and shown), and one keystroke in a block whose text holds placeholders (the
// preview rebuilt and filled from the recipient's entry). Both run as the user types.

#include <benchmark/benchmark.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QCompleter>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTextCursor>

#include <fstream>

#include "ContactsBench.h"
#include "app/MainWindow.h"
#include "app/contacts/AddressCompleter.h"
#include "app/contacts/MainWindowContacts.h"
#include "app/desktop/QtDesktop.h"
#include "bench/app/QtBenchmarks.h"
#include "contacts/VCard.h"

namespace {

using namespace quillory;

// A data folder with a 10,000-entry book and blocks of 10 KB, each starting with placeholders.
struct TBookFolder {
    TBookFolder() {
        qputenv("XDG_CONFIG_HOME", dir.path().toUtf8());
        std::ofstream(dir.filePath("kontakty.vcf").toStdString(), std::ios::binary)
            << WriteVCards(bench::CzechContacts(10000));
        for (int n = 1; n <= 8; ++n) {
            std::string text = "{osloven\xed}, {titul} {jm\xe9no} {p\xf8\xedjmen\xed} z {firma}, {datum}\r\n";
            while (text.size() < 10 * 1024)
                text +=
                    "P\xf8"
                    "ed\xe1v\xe1me v\xe1m nab\xed"
                    "dku na dod\xe1vku zbo\x9e\xed.\r\n";
            std::ofstream(dir.filePath(QStringLiteral("blok%1.txt").arg(n)).toStdString(), std::ios::binary)
                << text;
        }
    }
    QTemporaryDir dir;
};

void BM_RecipientKeystroke(benchmark::State& state) {
    TBookFolder folder;
    TQtDesktop desktop;
    TForm1 form(desktop, folder.dir.path().toStdString());
    form.show();
    auto* recipient = form.findChild<QLineEdit*>("sEdit1");
    QAbstractItemView* popup = form.Contacts().RecipientCompleter().Completer()->popup();
    for (auto _ : state) {
        state.PauseTiming();
        recipient->setText("no");
        recipient->setCursorPosition(2);
        QApplication::processEvents();
        state.ResumeTiming();
        QKeyEvent key(QEvent::KeyPress, Qt::Key_V, Qt::NoModifier, "v");
        QApplication::sendEvent(recipient, &key);  // "nov": the list of offers is made and shown
        QApplication::processEvents();
        if (!popup->isVisible()) state.SkipWithError("no completion list");
    }
    form.close();
}
BENCHMARK(BM_RecipientKeystroke)->Unit(benchmark::kMicrosecond);

void BM_KeystrokeInBlockWithPlaceholders(benchmark::State& state) {
    TBookFolder folder;
    TQtDesktop desktop;
    TForm1 form(desktop, folder.dir.path().toStdString());
    form.show();
    form.findChild<QLineEdit*>("sEdit1")->setText("kontakt4320@firma52.cz");  // Ing. Jan Černý
    for (int n = 1; n <= 11; ++n)
        form.findChild<QCheckBox*>(QStringLiteral("sCheckBox%1").arg(n))->setChecked(true);
    QApplication::processEvents();
    if (form.PreviewText().find("V\xe1\x9e"
                                "en\xfd pane in\x9e"
                                "en\xfdre, Ing. Jan \xc8"
                                "ern\xfd") == std::string::npos)
        state.SkipWithError("the preview is not filled from the book");
    auto* memo = form.findChild<QPlainTextEdit*>("Memo6");
    QTextCursor cursor(memo->document());
    cursor.setPosition(2000);
    for (auto _ : state) {
        cursor.insertText("a");         // the memo's change event rebuilds the preview
        QApplication::processEvents();  // includes the repaint of the preview
    }
    form.close();
}
BENCHMARK(BM_KeystrokeInBlockWithPlaceholders)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) { return quillory::bench::RunQtBenchmarks(argc, argv); }
