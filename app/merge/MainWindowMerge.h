#pragma once

#include <QObject>

#include "app/merge/MergeContext.h"

class QWidget;

namespace quillory {

class MergeWindow;

// "Soubor → Hromadné odeslání…" in the main window: the mail merge's window, made at its first
// use, so the program's start does not pay for it.
class MainWindowMerge : public QObject {
    Q_OBJECT
public:
    MainWindowMerge(QWidget& window, MergeContext context);
    // The window goes first, with any run or trial under way stopped: they use the account's
    // tokens, which the main window's other children hold.
    ~MainWindowMerge() override;

    // "Soubor → Hromadné odeslání…": shows the window; an unfinished run is offered.
    void Open();
    // The window, made at its first use.
    MergeWindow& Window();
    // Whether the window has been made.
    bool WindowMade() const { return window_ != nullptr; }

private:
    QWidget& mainWindow_;
    const MergeContext context_;
    MergeWindow* window_ = nullptr;  // child of the main window, made at its first use
};

}  // namespace quillory
