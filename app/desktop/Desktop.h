#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class QWidget;

namespace quillory {

class TKeyring;

// The settings of a file-save dialog.
struct TSaveDialogSettings {
    QString defaultExtension;   // added when the chosen name has none, e.g. "txt"
    QString fileName;           // the name shown when the dialog opens
    QString filterDescription;  // e.g. "Textový soubor"
    QString filterPattern;      // e.g. "*.txt"
    bool confirmOverwrite = false;
};

// Everything the windows ask of the desktop: message boxes and questions, the save dialog, the
// clipboard, the shell's "open" and the session's keyring. The program uses the real Qt ones; tests put
// in their own to observe and answer.
class TDesktop {
public:
    enum class TMessageKind {
        Error,        // error icon, one OK button: the default error handler
        Information,  // information icon, one OK button
        Plain,        // no icon, one OK button
        Warning,      // warning icon, one OK button
    };

    virtual ~TDesktop() = default;
    virtual void ShowMessage(QWidget* parent, TMessageKind kind, const QString& caption,
                             const QString& text) = 0;
    // A question box with the buttons "Ano" and "Ne"; true when the user answers "Ano".
    virtual bool Ask(QWidget* parent, const QString& caption, const QString& question) = 0;
    // The full path the user accepted, or nothing when the dialog was cancelled.
    virtual std::optional<QString> ChooseSaveFile(QWidget* parent, const TSaveDialogSettings& settings) = 0;
    // The files the user chose to open (several at once), none when the dialog was cancelled.
    virtual QStringList ChooseFilesToOpen(QWidget* parent, const QString& caption) = 0;
    // The folder the user chose, starting in `start`; nothing when the dialog was cancelled.
    virtual std::optional<QString> ChooseFolder(QWidget* parent, const QString& caption,
                                                const QString& start) = 0;
    // Leaves the clipboard alone when it cannot be opened.
    virtual void SetClipboardText(const QString& text) = 0;
    // Opens a web address in the desktop's browser; a failure is ignored.
    virtual void OpenUrl(const QString& url) = 0;
    // The session's keyring; null when the program has none to use.
    virtual TKeyring* Keyring() = 0;
};

}  // namespace quillory
