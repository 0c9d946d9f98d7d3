#pragma once

#include <QString>

#include <string>
#include <utility>

class QWidget;

namespace quillory {

class TDesktop;

// The text the default error handler shows for a message (the program's 8-bit text: Windows-1250,
// or the UTF-8 form for what that cannot hold): a "." is appended when the message is not empty and
// its last character sorts after "." (0x2E).
QString DefaultErrorText(const std::string& message);

// Reports the exception being handled (call it inside a catch block) as the default error handler
// does: a message box with the application title, an error icon and one OK button. The silent
// abort is dropped without a message.
void ReportCurrentException(TDesktop& desktop, QWidget* parent) noexcept;

// Runs one event handler so that no exception leaves it: whatever it raises goes to the default
// error handler and the program goes on with the next event.
template <class Action>
void Guarded(TDesktop& desktop, QWidget* parent, Action&& action) noexcept {
    try {
        std::forward<Action>(action)();
    } catch (...) {
        ReportCurrentException(desktop, parent);
    }
}

}  // namespace quillory
