#pragma once

#include <thread>

namespace quillory {

// Prepares the fonts on a second thread for as long as it lives, so that the window's thread can do
// other work or wait for something else meanwhile: it reads the system's font configuration (dozens
// of small XML files, the largest single piece of the start) and fills Qt's font database from it.
// Any window with text needs both. Going out of scope waits for the thread; the window's font
// lookups then find everything ready instead of doing it a second time beside the first.
class TFontWarmup {
public:
    TFontWarmup();
    ~TFontWarmup();
    TFontWarmup(const TFontWarmup&) = delete;
    TFontWarmup& operator=(const TFontWarmup&) = delete;

private:
    std::thread preparer_;
};

}  // namespace quillory
