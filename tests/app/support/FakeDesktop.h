#pragma once

#include <QList>
#include <QString>

#include <functional>
#include <optional>
#include <utility>

#include "app/desktop/Desktop.h"

namespace quillory::test {

// A desktop that records what the windows ask of it and answers questions and file dialogs from
// queues. It has no keyring unless a test gives it one.
class TFakeDesktop final : public TDesktop {
public:
    struct TMessage {
        TMessageKind kind;
        QString caption;
        QString text;
    };

    void ShowMessage(QWidget*, TMessageKind kind, const QString& caption, const QString& text) override {
        messages.append({kind, caption, text});
    }
    // Answers from `answers` in turn; "Ne" when none is left. `whileAsking` runs while the
    // question is open, as the window's events do behind a real one.
    bool Ask(QWidget*, const QString& caption, const QString& question) override {
        questions.append({TMessageKind::Information, caption, question});
        if (whileAsking) std::exchange(whileAsking, nullptr)();
        return !answers.isEmpty() && answers.takeFirst();
    }
    std::optional<QString> ChooseSaveFile(QWidget*, const TSaveDialogSettings& settings) override {
        lastSaveSettings = settings;
        ++saveDialogs;
        const QString answer = saveAnswers.isEmpty() ? QString() : saveAnswers.takeFirst();
        if (answer.isNull()) return std::nullopt;
        return answer;
    }
    QStringList ChooseFilesToOpen(QWidget*, const QString&) override {
        ++openDialogs;
        return openAnswers.isEmpty() ? QStringList() : openAnswers.takeFirst();
    }
    // Answers from `folderAnswers` in turn; a cancelled dialog when none is left.
    std::optional<QString> ChooseFolder(QWidget*, const QString&, const QString&) override {
        if (folderAnswers.isEmpty()) return std::nullopt;
        return folderAnswers.takeFirst();
    }
    void SetClipboardText(const QString& text) override { clipboard = text; }
    void OpenUrl(const QString& url) override { openedUrls.append(url); }
    TKeyring* Keyring() override { return keyring; }

    QList<TMessage> messages;
    QList<TMessage> questions;
    QList<bool> answers;  // true: "Ano"
    std::function<void()> whileAsking;
    QString clipboard;
    QList<QString> openedUrls;
    QList<QString> saveAnswers;  // a null QString: the user cancels
    std::optional<TSaveDialogSettings> lastSaveSettings;
    int saveDialogs = 0;
    TKeyring* keyring = nullptr;     // none: the password stays in the INI file
    QList<QStringList> openAnswers;  // an empty list: the user cancels
    int openDialogs = 0;
    QStringList folderAnswers;
};

}  // namespace quillory::test
