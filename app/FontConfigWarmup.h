#pragma once

#include <thread>

namespace quillory {

// Reads the system's font configuration on a second thread for as long as it lives, so that the
// window's thread can wait for something else meanwhile. Any window with text needs that
// configuration, and reading it (dozens of small XML files) is the largest single piece of the
// start. Going out of scope waits for the reading; Qt's font lookups then find it ready instead of
// reading it a second time beside the first. Where fonts are not configured this way, it does nothing.
class TFontConfigWarmup {
public:
    TFontConfigWarmup();
    ~TFontConfigWarmup();
    TFontConfigWarmup(const TFontConfigWarmup&) = delete;
    TFontConfigWarmup& operator=(const TFontConfigWarmup&) = delete;

private:
    std::thread reader_;
};

}  // namespace quillory
