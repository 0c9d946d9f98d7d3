#include "app/merge/MainWindowMerge.h"

#include "app/merge/MergeWindow.h"

namespace quillory {

MainWindowMerge::MainWindowMerge(QWidget& window, MergeContext context)
    : mainWindow_(window), context_(std::move(context)) {}

MainWindowMerge::~MainWindowMerge() { delete window_; }

MergeWindow& MainWindowMerge::Window() {
    if (!window_) window_ = new MergeWindow(context_, &mainWindow_);
    return *window_;
}

void MainWindowMerge::Open() {
    MergeWindow& window = Window();
    window.show();
    window.raise();
    window.activateWindow();
    window.OfferUnfinishedRun();
}

}  // namespace quillory
