// One rebuild of the preview with all eight blocks ticked, 10 KB of text each: it runs on every
// keystroke in a block, so it has to stay far below what a typist could notice.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCheckBox>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTextCursor>

#include <fstream>

#include "app/EmailText.h"
#include "app/MainWindow.h"
#include "app/desktop/QtDesktop.h"
#include "app/spelling/InstalledDictionaries.h"
#include "bench/app/QtBenchmarks.h"

namespace {

std::string BlockText(int block) {
    std::string text;
    const std::string line = "Block " + std::to_string(block) +
                             ": P\xf8"
                             "ed\xe1v\xe1me v\xe1m nab\xed"
                             "dku na dod\xe1vku zbo\x9e\xed.";
    while (text.size() < 10 * 1024) text += line + "\r\n";
    return text;
}

void BM_GenerateEmailText(benchmark::State& state) {
    quillory::TEmailPieces pieces;
    pieces.salutationTicked = pieces.farewellTicked = pieces.signatureTicked = true;
    pieces.salutation = "Dobr\xfd den,";
    pieces.farewell = "S pozdravem";
    pieces.signature = "Obchodn\xed odd\xecle\xedn\xed;tel. 123";
    for (int n = 0; n < 8; ++n) {
        pieces.blockTicked[n] = true;
        pieces.blocks[n] = BlockText(n + 1);
    }
    for (auto _ : state) benchmark::DoNotOptimize(quillory::GenerateEmailText(pieces));
    state.SetBytesProcessed(state.iterations() * 8 * 10 * 1024);
}
BENCHMARK(BM_GenerateEmailText);

// The whole rebuild as a keystroke triggers it: typing one letter into block 5 rebuilds the preview
// (reading the widgets, assembling, updating the preview) and repaints.
void BM_KeystrokeInBlock(benchmark::State& state) {
    QTemporaryDir dir;
    qputenv("XDG_CONFIG_HOME", dir.path().toUtf8());  // settings of its own, none of the user's
    // The preview alone: no dictionary is found, so no spell checking starts during the run
    // (bench_spelling measures the keystroke with it).
    qputenv(quillory::kDictionaryPathVariable, "");
    for (int n = 1; n <= 8; ++n)
        std::ofstream(dir.filePath(QStringLiteral("blok%1.txt").arg(n)).toStdString(), std::ios::binary)
            << BlockText(n);
    quillory::TQtDesktop desktop;
    quillory::TForm1 form(desktop, dir.path().toStdString());
    form.show();
    for (int n = 1; n <= 11; ++n)
        form.findChild<QCheckBox*>(QStringLiteral("sCheckBox%1").arg(n))->setChecked(true);
    QApplication::processEvents();
    auto* memo = form.findChild<QPlainTextEdit*>("Memo6");
    QTextCursor cursor(memo->document());
    cursor.setPosition(2000);
    for (auto _ : state) {
        cursor.insertText("a");         // the memo's change event rebuilds the preview
        QApplication::processEvents();  // includes the repaint of the preview
    }
    form.close();
}
BENCHMARK(BM_KeystrokeInBlock)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) { return quillory::bench::RunQtBenchmarks(argc, argv); }
