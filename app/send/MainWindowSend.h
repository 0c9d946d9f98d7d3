#pragma once

#include <QObject>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QWidget;

namespace quillory {

class MicrosoftTokens;
class TAttachedFiles;
class TDesktop;
class TFormStorage;
class TIdMessage;
class TSendWorker;

// The send command of the main window: the preview goes out as an e-mail through the SMTP server of
// the settings, with the attached files, and "Soubor → Odeslaná pošta…" opens the archive of sent
// messages. The send runs beside the user-interface thread behind a modal progress window, so the
// window repaints and the user can cancel; the results are shown when it has ended.
class MainWindowSend : public QObject {
    Q_OBJECT
public:
    // The window's fields the message is filled from.
    struct Fields {
        QPlainTextEdit* preview = nullptr;
        QComboBox* sender = nullptr;     // "Od"
        QComboBox* subject = nullptr;    // "Předmět"
        QLineEdit* recipient = nullptr;  // "Odeslat komu"
        QLineEdit* copies = nullptr;     // "Kopie"
        QCheckBox* copiesTicked = nullptr;
    };
    // What the window decides for a send: the subject with its placeholders filled (from the
    // text of the subject field), and whether a message with empty placeholders still goes (it
    // asks).
    struct Hooks {
        std::function<std::string(const std::string& subject)> fillSubject;
        std::function<bool(const std::string& subject)> confirmPlaceholders;
        // The Microsoft sign-in's tokens, for an account that signs in with Microsoft.
        std::function<MicrosoftTokens&()> microsoft;
    };

    // Sent messages are archived in `sentArchive`.
    MainWindowSend(QWidget& window, TDesktop& desktop, TFormStorage& storage, TAttachedFiles& attached,
                   std::filesystem::path sentArchive, const Fields& fields, Hooks hooks);
    ~MainWindowSend() override;

    // "Odeslat": checks the settings and the recipient, fills the message and starts the send.
    void Send();
    // "Soubor → Odeslaná pošta…": opens the archive of sent messages in the file manager.
    void OpenSentArchive();

    // The folder where delivered messages are archived ("Odeslané" in the data folder).
    const std::filesystem::path& SentArchive() const { return sentArchive_; }
    // The worker: one for the window's life, idle between sends.
    TSendWorker& Worker() const { return *worker_; }
    // The message of the last send, which keeps what a send does not set.
    const TIdMessage& Message() const { return *message_; }

signals:
    // The message of the last send was delivered (after the outcome was shown).
    void delivered();

private:
    // Fills the message from the window; false, with the user told why, when an attached file cannot
    // go out as it was attached.
    bool FillMessage();

    QWidget& window_;
    TDesktop& desktop_;
    TFormStorage& storage_;
    TAttachedFiles& attached_;
    const std::filesystem::path sentArchive_;
    const Fields fields_;
    const Hooks hooks_;
    std::unique_ptr<TIdMessage> message_;
    // Holds the SMTP client while a send runs.
    std::unique_ptr<TSendWorker> worker_;
};

}  // namespace quillory
