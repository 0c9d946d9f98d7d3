// The check table of "Hromadné odeslání" at 10,000 recipients: a CSV file of 10,000 rows (half of
// them in the address book) with an amount column, and a file for each recipient by a name pattern.
//  - Open: choosing the CSV file until the table is painted: the file read, the plan made and every
//    row checked (its placeholders filled, its file looked at) beside the window's thread, and the
//    view shown; window_cpu_ms is the CPU time the window's own thread spent in it (the rest of
//    the time it was free to handle the user).
//  - ScrollPage: one page down in the table, painted.
// Memory as counters: the peak and the resident memory with the main window alone (before the
// merge window is made), then with the table of every row open.
// Run with QT_QPA_PLATFORM=offscreen where no display is at hand.

#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QEventLoop>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>

#include <cstdio>
#include <ctime>
#include <fstream>
#include <string>

#include "ContactsBench.h"
#include "app/MainWindow.h"
#include "app/desktop/QtDesktop.h"
#include "app/merge/MainWindowMerge.h"
#include "app/merge/MergeCheckModel.h"
#include "app/merge/MergeFilesBox.h"
#include "app/merge/MergeRecipientsBox.h"
#include "app/merge/MergeWindow.h"
#include "bench/app/QtBenchmarks.h"
#include "contacts/VCard.h"

namespace {

using namespace quillory;

constexpr int kRows = 10000;

double PeakMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// The CPU time the calling thread has used.
double ThreadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// The resident memory now.
double ResidentMiB() {
    long pages = 0;
    long resident = 0;
    if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(statm);
    }
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// A data folder with a book of 5,000 entries, a CSV of 10,000 recipients (the book's 5,000 and
// 5,000 others with their names), a folder of their files, and a block whose text uses the
// greeting, the amount and the invoice number.
struct MergeFolder {
    MergeFolder() {
        qputenv("XDG_CONFIG_HOME", dir.path().toUtf8());
        const std::vector<Contact> contacts = bench::CzechContacts(kRows);
        std::ofstream(dir.filePath("kontakty.vcf").toStdString(), std::ios::binary)
            << WriteVCards(std::vector<Contact>(contacts.begin(), contacts.begin() + kRows / 2));
        std::ofstream(dir.filePath("blok1.txt").toStdString(), std::ios::binary)
            << "{osloven\xed},\r\nv p\xf8\xedloze pos\xedl\xe1me fakturu \xe8. {\xe8\xedslo faktury} na "
               "\xe8\xe1stku {\xe8\xe1stka} K\xe8.\r\n";
        for (int n = 2; n <= 8; ++n)
            std::ofstream(dir.filePath(QStringLiteral("blok%1.txt").arg(n)).toStdString(), std::ios::binary);
        QDir(dir.path()).mkdir("faktury");
        std::string csv = "email;jméno;příjmení;číslo faktury;částka\r\n";
        for (int i = 0; i < kRows; ++i) {
            const Contact& contact = contacts[static_cast<std::size_t>(i)];
            const bool inBook = i < kRows / 2;
            const std::string invoice = std::to_string(2026000 + i);
            csv += contact.email + ";" + (inBook ? "" : contact.firstName) + ";" +
                   (inBook ? "" : contact.surname) + ";" + invoice + ";" +
                   std::to_string(100 + i * 7 % 9000) + "\r\n";
            std::ofstream(
                dir.filePath(QString::fromStdString("faktury/faktura-" + invoice + ".pdf")).toStdString())
                << "%PDF-1.4\n";
        }
        std::ofstream(csvPath().toStdString(), std::ios::binary) << csv;
    }
    QString csvPath() const { return dir.filePath("prijemci.csv"); }
    QTemporaryDir dir;
};

// Handles events until the check beside the window's thread has ended and its table is shown.
void WaitForCheck(MergeWindow& window) {
    if (window.Checking()) {
        QEventLoop loop;
        QObject::connect(&window, &MergeWindow::checked, &loop, [&window, &loop] {
            if (!window.Checking()) loop.quit();
        });
        loop.exec();
    }
    QApplication::processEvents();
}

struct OpenWindow {
    explicit OpenWindow(MergeFolder& folder) : form(desktop, folder.dir.path().toStdString()) {
        form.show();
        form.findChild<QCheckBox*>("sCheckBox1")->setChecked(true);
        QApplication::processEvents();
        mainWindowPeak = PeakMiB();
        mainWindowResident = ResidentMiB();
        form.Merge().Open();
        window = &form.Merge().Window();
        window->Files().SetFolderPattern(folder.dir.filePath("faktury"),
                                         QStringLiteral("faktura-{číslo faktury}.pdf"));
        WaitForCheck(*window);
    }
    ~OpenWindow() { form.close(); }
    TQtDesktop desktop;
    TForm1 form;
    MergeWindow* window = nullptr;
    double mainWindowPeak = 0;
    double mainWindowResident = 0;
};

void BM_OpenCheckTable(benchmark::State& state) {
    MergeFolder folder;
    OpenWindow open(folder);
    QTableView& table = open.window->Table();
    double busy = 0;  // CPU seconds of the window's thread, of all iterations
    for (auto _ : state) {
        state.PauseTiming();
        open.window->Recipients().SetCsvFile({});
        WaitForCheck(*open.window);
        state.ResumeTiming();
        const double start = ThreadCpuSeconds();
        open.window->Recipients().SetCsvFile(folder.csvPath());
        WaitForCheck(*open.window);
        table.viewport()->repaint();
        QApplication::processEvents();
        busy += ThreadCpuSeconds() - start;
    }
    // The window's own thread: reading the file, taking the result in and painting; the check
    // itself runs beside it.
    state.counters["window_cpu_ms"] = benchmark::Counter(busy * 1000, benchmark::Counter::kAvgIterations);
    if (open.window->CheckModel().rowCount() != kRows)
        state.SkipWithError("the table does not hold every row");
    if (open.window->CheckModel().TickedBlocked() != 0)
        state.SkipWithError("rows with problems");  // all ticked
    state.counters["rows"] = open.window->CheckModel().rowCount();
    // The main window alone, then with the table of every row open.
    state.counters["main_peak_MiB"] = open.mainWindowPeak;
    state.counters["main_rss_MiB"] = open.mainWindowResident;
    state.counters["peak_MiB"] = PeakMiB();
    state.counters["rss_MiB"] = ResidentMiB();
}
// A set number of iterations: the memory counters are of one fresh window each time.
BENCHMARK(BM_OpenCheckTable)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

void BM_ScrollPage(benchmark::State& state) {
    MergeFolder folder;
    OpenWindow open(folder);
    open.window->Recipients().SetCsvFile(folder.csvPath());
    WaitForCheck(*open.window);
    QTableView& table = open.window->Table();
    QScrollBar* bar = table.verticalScrollBar();
    QApplication::processEvents();
    for (auto _ : state) {
        if (bar->value() >= bar->maximum()) bar->setValue(0);
        bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
        table.viewport()->repaint();
        QApplication::processEvents();
    }
    state.counters["rows_per_page"] = bar->pageStep();
    state.counters["peak_MiB"] = PeakMiB();
}
BENCHMARK(BM_ScrollPage)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) { return quillory::bench::RunQtBenchmarks(argc, argv); }
