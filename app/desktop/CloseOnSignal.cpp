#include "app/desktop/CloseOnSignal.h"

#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>

#include <cerrno>
#include <csignal>

namespace quillory {
namespace {

// The pipe from the signal handler to the event loop: the handler may only write a byte.
int gSignalPipe[2] = {-1, -1};

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

extern "C" void OnSignal(int) {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = write(gSignalPipe[1], &byte, 1);
    errno = saved;
}

}  // namespace

void TCloseOnSignal::CatchSignals() {
    if (gSignalPipe[0] >= 0 || pipe2(gSignalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigset_t caught;
    sigemptyset(&caught);
    for (const int signal : kSignals) {
        sigaction(signal, &action, nullptr);
        sigaddset(&caught, signal);
    }
    pthread_sigmask(SIG_UNBLOCK, &caught, nullptr);
}

TCloseOnSignal::TCloseOnSignal() : notifier_(nullptr) {
    if (gSignalPipe[0] < 0) return;
    notifier_ = new QSocketNotifier(gSignalPipe[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &TCloseOnSignal::SignalArrived);
}

TCloseOnSignal::~TCloseOnSignal() = default;

// The timer cannot fire before the event loop runs: nothing between this call and the loop's start
// runs events.
void TCloseOnSignal::CloseFromTheEventLoop(QWidget& window) {
    mainWindow_ = &window;
    QTimer::singleShot(0, this, [this] {
        loopRuns_ = true;
        CloseMainWindow();
    });
}

void TCloseOnSignal::SignalArrived() {
    char bytes[64];
    while (read(gSignalPipe[0], bytes, sizeof bytes) > 0) {}
    // A dialog shown modally runs an event loop of its own: closing it lets its caller go on.
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible() && window->isModal()) window->close();
    }
    pending_ = true;
    if (loopRuns_) QTimer::singleShot(0, this, &TCloseOnSignal::CloseMainWindow);
}

void TCloseOnSignal::CloseMainWindow() {
    if (!pending_ || !mainWindow_ || !loopRuns_) return;
    pending_ = false;
    mainWindow_->close();
}

}  // namespace quillory
