#include "app/desktop/QtDesktop.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

#include <cstdio>

namespace quillory {

// An error is also written to the standard error output, where a terminal or the desktop's journal
// keeps it after the box is gone.
void TQtDesktop::ShowMessage(QWidget* parent, TMessageKind kind, const QString& caption,
                             const QString& text) {
    if (kind == TMessageKind::Error) {
        std::fputs(QStringLiteral("quillory: %1\n").arg(text).toLocal8Bit().constData(), stderr);
        std::fflush(stderr);
    }
    const auto icon = kind == TMessageKind::Error         ? QMessageBox::Critical
                      : kind == TMessageKind::Information ? QMessageBox::Information
                      : kind == TMessageKind::Warning     ? QMessageBox::Warning
                                                          : QMessageBox::NoIcon;
    // Messages of the lower layers end their lines with CR LF; the box wants plain line feeds.
    QMessageBox box(icon, caption, QString(text).replace("\r\n", "\n"), QMessageBox::Ok, parent);
    box.exec();
}

bool TQtDesktop::Ask(QWidget* parent, const QString& caption, const QString& question) {
    QMessageBox box(QMessageBox::Question, caption, question, QMessageBox::Yes | QMessageBox::No, parent);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("Ano"));
    box.button(QMessageBox::No)->setText(QStringLiteral("Ne"));
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

std::optional<QString> TQtDesktop::ChooseSaveFile(QWidget* parent, const TSaveDialogSettings& settings) {
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(settings.defaultExtension);
    dialog.setNameFilter(settings.filterDescription + " (" + settings.filterPattern + ")");
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !settings.confirmOverwrite);
    dialog.setSizeGripEnabled(true);
    dialog.selectFile(settings.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

QStringList TQtDesktop::ChooseFilesToOpen(QWidget* parent, const QString& caption) {
    return QFileDialog::getOpenFileNames(parent, caption);
}

std::optional<QString> TQtDesktop::ChooseFolder(QWidget* parent, const QString& caption,
                                                const QString& start) {
    const QString folder = QFileDialog::getExistingDirectory(parent, caption, start);
    if (folder.isEmpty()) return std::nullopt;
    return folder;
}

void TQtDesktop::SetClipboardText(const QString& text) {
    if (QClipboard* clipboard = QApplication::clipboard()) clipboard->setText(text);
}

void TQtDesktop::OpenUrl(const QString& url) { QDesktopServices::openUrl(QUrl(url)); }

}  // namespace quillory
