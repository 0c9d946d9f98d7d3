#pragma once

#include "app/desktop/Desktop.h"
#include "app/desktop/SecretServiceKeyring.h"

namespace quillory {

// The desktop as Qt offers it: QMessageBox, QFileDialog, QClipboard and QDesktopServices, and the
// Secret Service for the keyring.
class TQtDesktop final : public TDesktop {
public:
    void ShowMessage(QWidget* parent, TMessageKind kind, const QString& caption,
                     const QString& text) override;
    bool Ask(QWidget* parent, const QString& caption, const QString& question) override;
    std::optional<QString> ChooseSaveFile(QWidget* parent, const TSaveDialogSettings& settings) override;
    QStringList ChooseFilesToOpen(QWidget* parent, const QString& caption) override;
    std::optional<QString> ChooseFolder(QWidget* parent, const QString& caption,
                                        const QString& start) override;
    void SetClipboardText(const QString& text) override;
    void OpenUrl(const QString& url) override;
    TKeyring* Keyring() override { return &keyring_; }

private:
    TSecretServiceKeyring keyring_;
};

}  // namespace quillory
