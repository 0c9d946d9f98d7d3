#include "app/ErrorHandler.h"

#include <exception>

#include "app/AppInfo.h"
#include "app/Win1250Text.h"
#include "app/desktop/Desktop.h"
#include "core/Exception.h"

namespace quillory {

QString DefaultErrorText(const std::string& message) {
    QString text = FromProgramText(message);  // Windows-1250, or the UTF-8 form
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') text += '.';
    return text;
}

void ReportCurrentException(TDesktop& desktop, QWidget* parent) noexcept {
    std::string message;
    try {
        throw;
    } catch (const EAbort&) {
        return;
    } catch (const std::exception& error) {
        message = error.what();
    } catch (...) {
        message = "Unknown error";
    }
    try {
        desktop.ShowMessage(parent, TDesktop::TMessageKind::Error, kApplicationTitle,
                            DefaultErrorText(message));
    } catch (...) {
        // Showing the message failed as well; there is nobody left to tell.
    }
}

}  // namespace quillory
