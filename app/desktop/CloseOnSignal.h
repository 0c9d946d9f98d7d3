#pragma once

#include <QObject>
#include <QPointer>

class QSocketNotifier;
class QWidget;

namespace quillory {

// Ending the program with SIGTERM, SIGINT or SIGHUP (the session ends, Ctrl+C in a terminal, kill)
// closes it the way the close button does, so the block files and the settings are written. Open
// dialogs and message boxes are closed at once; the main window is closed from the application's
// event loop, so a signal that comes while the window is still being built or shown closes it as
// soon as the program runs.
class TCloseOnSignal : public QObject {
    Q_OBJECT
public:
    // Catches the signals from now on, before the application object exists; also takes them when
    // the program was started with them blocked. A signal caught here waits for the object below.
    static void CatchSignals();

    // Acts on the caught signals, those that came before it too, from the event loop.
    TCloseOnSignal();
    ~TCloseOnSignal() override;
    // The window the signals close; call it just before the application's event loop starts.
    void CloseFromTheEventLoop(QWidget& window);

private:
    void SignalArrived();
    void CloseMainWindow();

    QSocketNotifier* notifier_;  // child of this
    QPointer<QWidget> mainWindow_;
    bool pending_ = false;
    bool loopRuns_ = false;  // the application's event loop has started
};

}  // namespace quillory
