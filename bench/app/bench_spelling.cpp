// Spell checking: a keystroke in a block of 10 KB of Czech text with the Czech dictionary in use
// (the preview's rebuild, the re-check of the changed paragraph and the repaint), beside the same
// keystroke with checking off; the dictionary's load; suggestions; and the peak memory of the
// window before and after the dictionary is loaded.
//
//   bench_spelling [benchmark options]     the benchmarks, then the memory of two launches
//   bench_spelling --memory off|on DIR     one launch (used for the memory figures)

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCheckBox>
#include <QEventLoop>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTimer>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <random>
#include <string>

#include "app/MainWindow.h"
#include "app/Win1250Text.h"
#include "app/desktop/QtDesktop.h"
#include "app/spelling/InstalledDictionaries.h"
#include "app/spelling/SpellChecker.h"
#include "bench/app/QtBenchmarks.h"
#include "spelling/SpellDictionary.h"

extern char** environ;

namespace {

const QString kParagraph = QString::fromUtf8(
    "Děkujeme za Vaši objednávku ze dne 12. 5. 2024. Zboží odešleme do tří pracovních dnů na adresu "
    "uvedenou v objednávce. V případě dotazů nás kontaktujte na e-mailu obchod@firma.cz nebo na telefonu "
    "777 123 456. Cena celkem činí 12 500 Kč včetně DPH. S pozdravem Jan Novák, Firma s.r.o.");

// 10 KB of Czech text in the block file's form: paragraphs of about 330 characters, or one
// paragraph of 10 KB.
std::string CzechBlock(bool oneParagraph) {
    std::string text;
    while (text.size() < 10 * 1024) text += quillory::ToWin1250(kParagraph) + (oneParagraph ? " " : "\r\n");
    return text;
}

// The program's folder: block 5 holds 10 KB of Czech text, and with `allBlocks` every block does.
class Folder {
public:
    Folder(bool oneParagraph, bool allBlocks) {
        qputenv("XDG_CONFIG_HOME", dir_.path().toUtf8());  // settings of its own, none of the user's
        for (int n = 1; n <= 8; ++n)
            std::ofstream(dir_.filePath(QStringLiteral("blok%1.txt").arg(n)).toStdString(), std::ios::binary)
                << (allBlocks || n == 5 ? CzechBlock(oneParagraph) : std::string());
    }
    std::string Path() const { return dir_.path().toStdString(); }

private:
    QTemporaryDir dir_;
};

quillory::SpellChecker& Checker(quillory::TForm1& form) { return *form.findChild<quillory::SpellChecker*>(); }

// Waits for the dictionary, loaded after the window's first paint.
bool WaitReady(quillory::TForm1& form) {
    quillory::SpellChecker& checker = Checker(form);
    if (checker.Active()) return true;
    QEventLoop loop;
    QObject::connect(&checker, &quillory::SpellChecker::ready, &loop, &QEventLoop::quit);
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    loop.exec();
    return checker.Active();
}

// Typing into block 5, in the middle of its 10 KB, with block 5 and the salutation, farewell and
// signature ticked (the preview holds the block): state.range(0) says whether checking is on,
// state.range(1) whether the block is one paragraph of 10 KB, state.range(2) whether every keystroke
// makes a word never judged before (a Hunspell call each time) rather than Czech words typed again.
void BM_KeystrokeInCheckedBlock(benchmark::State& state) {
    const bool checking = state.range(0) != 0;
    const bool oneParagraph = state.range(1) != 0;
    const bool newWords = state.range(2) != 0;
    Folder folder(oneParagraph, false);
    quillory::TQtDesktop desktop;
    quillory::TForm1 form(desktop, folder.Path());
    form.show();
    for (int n : {5, 9, 10, 11})
        form.findChild<QCheckBox*>(QStringLiteral("sCheckBox%1").arg(n))->setChecked(true);
    if (!WaitReady(form)) {
        state.SkipWithError("the Czech dictionary did not load (hunspell-cs installed?)");
        return;
    }
    Checker(form).SetEnabled(checking);
    QApplication::processEvents();
    auto* memo = form.findChild<QPlainTextEdit*>("Memo6");
    QTextCursor cursor(memo->document());
    cursor.setPosition(5000);
    const QString typed = QString::fromUtf8("Potvrzujeme přijetí platby a těšíme se na další spolupráci. ");
    std::mt19937 random(1);
    int next = 0;
    for (auto _ : state) {
        QString letter;
        if (newWords)
            letter =
                (next++ % 9 == 8) ? QStringLiteral(" ") : QChar(static_cast<char16_t>(u'a' + random() % 26));
        else letter = typed.at(next++ % typed.size());
        cursor.insertText(letter);  // the memo's change event rebuilds the preview; the block is re-checked
        QApplication::processEvents();  // includes the repaint of the block and the preview
    }
    form.close();
}
BENCHMARK(BM_KeystrokeInCheckedBlock)
    ->ArgNames({"checking", "oneParagraph", "newWords"})
    ->Args({0, 0, 0})
    ->Args({1, 0, 0})
    ->Args({0, 0, 1})
    ->Args({1, 0, 1})
    ->Args({0, 1, 0})
    ->Args({1, 1, 0})
    ->Args({0, 1, 1})
    ->Args({1, 1, 1})
    ->Unit(benchmark::kMicrosecond);

const quillory::InstalledDictionary* Czech(const std::vector<quillory::InstalledDictionary>& found) {
    for (const auto& dictionary : found)
        if (dictionary.name == "cs_CZ") return &dictionary;
    return nullptr;
}

void BM_LoadCzechDictionary(benchmark::State& state) {
    const auto found = quillory::FindDictionaries(quillory::DictionaryFolders());
    const quillory::InstalledDictionary* czech = Czech(found);
    if (czech == nullptr) {
        state.SkipWithError("no Czech dictionary");
        return;
    }
    for (auto _ : state) quillory::SpellDictionary dictionary(czech->affixFile, czech->wordFile);
}
BENCHMARK(BM_LoadCzechDictionary)->Unit(benchmark::kMillisecond)->Iterations(3);

// The suggestions a context menu computes as it opens.
void BM_SuggestCzech(benchmark::State& state) {
    const auto found = quillory::FindDictionaries(quillory::DictionaryFolders());
    const quillory::InstalledDictionary* czech = Czech(found);
    if (czech == nullptr) {
        state.SkipWithError("no Czech dictionary");
        return;
    }
    quillory::SpellDictionary dictionary(czech->affixFile, czech->wordFile);
    const char* words[] = {"Dekujeme", "objednavku", "prijeti", "spolupraci"};
    const char* word = words[state.range(0)];
    for (auto _ : state) benchmark::DoNotOptimize(dictionary.Suggest(word));
    state.SetLabel(word);
}
BENCHMARK(BM_SuggestCzech)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

// One launch for the memory figures: the window with eight blocks of 10 KB, painted, then (with
// checking on) the Czech dictionary loaded and every block checked.
int RunMemoryChild(bool checking, const std::string& exeDir) {
    int argc = 1;
    char name[] = "bench_spelling";
    char* argv[] = {name, nullptr};
    QApplication application(argc, argv);
    quillory::TQtDesktop desktop;
    quillory::TForm1 form(desktop, exeDir);
    form.show();  // restores the stored switch: set it after
    Checker(form).SetEnabled(checking);
    QApplication::processEvents();
    if (checking && !WaitReady(form)) return 1;
    QApplication::processEvents();
    return 0;
}

long LaunchMemoryChild(const char* self, const char* mode, const std::string& dir) {
    char* argv[] = {const_cast<char*>(self), const_cast<char*>("--memory"), const_cast<char*>(mode),
                    const_cast<char*>(dir.c_str()), nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, self, nullptr, nullptr, argv, environ) != 0) return -1;
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? usage.ru_maxrss : -1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 4 && std::string(argv[1]) == "--memory")
        return RunMemoryChild(std::string(argv[2]) == "on", argv[3]);
    // The launches come first: a child started from a process holds that process's peak memory
    // at its start, so the parent must still be small.
    long off = 0, on = 0;
    {
        Folder folder(false, true);
        off = LaunchMemoryChild(argv[0], "off", folder.Path());
        on = LaunchMemoryChild(argv[0], "on", folder.Path());
    }
    quillory::bench::RunQtBenchmarks(argc, argv);
    std::printf(
        "peak memory of the window with eight blocks of 10 KB: checking off %.1f MiB, "
        "Czech dictionary loaded %.1f MiB (+%.1f MiB)\n",
        off / 1024.0, on / 1024.0, (on - off) / 1024.0);
    return 0;
}
