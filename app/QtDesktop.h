#pragma once

#include "app/Desktop.h"

namespace quillory {

// The desktop as Qt offers it: QMessageBox, QFileDialog, QClipboard and QDesktopServices.
class TQtDesktop final : public TDesktop {
public:
    void ShowMessage(QWidget* parent, TMessageKind kind, const QString& caption,
                     const QString& text) override;
    std::optional<QString> ChooseSaveFile(QWidget* parent, const TSaveDialogSettings& settings) override;
    void SetClipboardText(const QString& text) override;
    void OpenUrl(const QString& url) override;
};

}  // namespace quillory
