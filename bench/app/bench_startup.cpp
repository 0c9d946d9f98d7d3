// Start-up: the time from launching a process to the first paint of its main window, and the
// process's peak memory, for Quillory's main window beside a bare Qt window, in the same run.
//
//   bench_startup [runs]      runs the kinds alternately and prints medians
//   bench_startup --child quillory|bare|plain|label DIR    one launch (used by the parent)
//
// Quillory is measured twice: in a folder without skins (the plain look) and in one holding the
// "Wood" skin the build ships. The bare window is measured twice too: on Quillory's application
// object (the baseline of the targets: the same start, only the window differs) and on a plain one,
// which has no icon and no translations.

#include <QApplication>
#include <QLabel>
#include <QTemporaryDir>
#include <QWidget>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/Application.h"
#include "app/MainWindow.h"
#include "app/desktop/QtDesktop.h"

extern char** environ;

namespace {

// Tells the parent, through standard output, that the watched window has painted, then ends.
class TFirstPaint : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            std::fputs("painted\n", stdout);
            std::fflush(stdout);
            std::_Exit(0);
        }
        return false;
    }
};

int RunChild(const std::string& kind, const std::string& exeDir) {
    int argc = 1;
    char name[] = "bench_startup";
    char* argv[] = {name, nullptr};
    quillory::TQtDesktop desktop;
    const std::unique_ptr<QApplication> application =
        kind == "plain" ? std::make_unique<QApplication>(argc, argv)
                        : std::make_unique<quillory::TApplication>(argc, argv, desktop);
    TFirstPaint watcher;
    std::unique_ptr<QWidget> window;
    if (kind == "quillory") {
        window = std::make_unique<quillory::TForm1>(desktop, exeDir);
    } else {
        window = std::make_unique<QWidget>();
        window->resize(1009, 726);
        // A window with one line of text pays for the font set-up that any text needs.
        if (kind == "label") new QLabel("Quillory", window.get());
    }
    window->installEventFilter(&watcher);
    window->show();
    return application->exec();
}

struct TLaunch {
    double milliseconds;
    long peakKiB;
};

TLaunch Launch(const char* self, const char* kind, const std::string& exeDir) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) std::abort();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    const std::string dir = exeDir;
    char* argv[] = {const_cast<char*>(self), const_cast<char*>("--child"), const_cast<char*>(kind),
                    const_cast<char*>(dir.c_str()), nullptr};
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, self, &actions, nullptr, argv, environ) != 0) std::abort();
    ::close(pipeFds[1]);
    char buffer[64] = {};
    const ssize_t got = ::read(pipeFds[0], buffer, sizeof buffer - 1);
    const auto painted = std::chrono::steady_clock::now();
    ::close(pipeFds[0]);
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    posix_spawn_file_actions_destroy(&actions);
    if (got <= 0 || std::strncmp(buffer, "painted", 7) != 0) {
        std::fprintf(stderr, "%s: the window never painted\n", kind);
        std::exit(1);
    }
    return {std::chrono::duration<double, std::milli>(painted - start).count(), usage.ru_maxrss};
}

template <class T>
T Median(std::vector<T> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 4 && std::string(argv[1]) == "--child") return RunChild(argv[2], argv[3]);
    const int runs = argc >= 2 ? std::max(1, std::atoi(argv[1])) : 15;

    // The program's folders with eight block files, as after a first close; one also holds the skin.
    QTemporaryDir plainDir, skinnedDir;
    qputenv("XDG_CONFIG_HOME", plainDir.path().toUtf8());  // the children get settings of their own
    for (const QTemporaryDir* dir : {&plainDir, &skinnedDir})
        for (int n = 1; n <= 8; ++n)
            std::ofstream(dir->filePath(QStringLiteral("blok%1.txt").arg(n)).toStdString(), std::ios::binary)
                << "text\r\n";
    std::filesystem::copy(QUILLORY_BUILD_SKINS_DIR, skinnedDir.filePath("Skins").toStdString(),
                          std::filesystem::copy_options::recursive);

    struct TKind {
        const char* label;
        const char* child;
        std::string exeDir;
        std::vector<double> ms;
        std::vector<long> kib;
    };
    std::vector<TKind> kinds = {
        {"bare Qt window        ", "bare", plainDir.path().toStdString(), {}, {}},
        {"bare, plain app object", "plain", plainDir.path().toStdString(), {}, {}},
        {"Qt window, one label  ", "label", plainDir.path().toStdString(), {}, {}},
        {"Quillory, plain look  ", "quillory", plainDir.path().toStdString(), {}, {}},
        {"Quillory, Wood skin   ", "quillory", skinnedDir.path().toStdString(), {}, {}}};
    for (const TKind& kind : kinds) Launch(argv[0], kind.child, kind.exeDir);  // warm the file cache
    for (int i = 0; i < runs; ++i) {
        for (TKind& kind : kinds) {
            const TLaunch launch = Launch(argv[0], kind.child, kind.exeDir);
            kind.ms.push_back(launch.milliseconds);
            kind.kib.push_back(launch.peakKiB);
        }
    }
    std::printf(
        "platform: %s, %d runs each (medians); targets: <= 1.3 x the bare window, <= 39 MiB in both looks\n",
        qgetenv("QT_QPA_PLATFORM").isEmpty() ? "default" : qgetenv("QT_QPA_PLATFORM").constData(), runs);
    const double bare = Median(kinds[0].ms), plain = Median(kinds[1].ms);
    for (const TKind& kind : kinds)
        std::printf("%s: %7.1f ms to first paint (%.2f x; %.2f x on a plain app object), peak %6.1f MiB\n",
                    kind.label, Median(kind.ms), Median(kind.ms) / bare, Median(kind.ms) / plain,
                    Median(kind.kib) / 1024.0);
    return 0;
}
