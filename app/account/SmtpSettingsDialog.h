#pragma once

#include <QDialog>

#include "app/account/ProviderPresets.h"
#include "net/smtp/SmtpAccount.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace quillory {

class MicrosoftTokens;
class ProviderSection;
class SentCopySection;
class TFormStorage;
class TPasswordAtRest;

// The outgoing-mail settings dialog: SMTP server and, when the server requires it, account name
// and password; below them the section "Kopie odeslané pošty" (SentCopySection). It edits its own fields
// only; the main window stores them into the form storage's values when the user confirms. Created once and
// reused, so the fields keep their texts between showings.
class TForm2 : public QDialog {
    Q_OBJECT
public:
    // `mainWindow` is the dialog's parent and the corner it opens from; `storage` holds the values,
    // `password` says where the password is kept.
    // `microsoft` keeps the Microsoft sign-in, `presets` are the providers of the choice
    // "Poskytovatel" (ProviderSection, above the fields).
    TForm2(TFormStorage& storage, const TPasswordAtRest& password, QWidget& mainWindow,
           MicrosoftTokens& microsoft, QVector<ProviderPreset> presets);

    // Writes the confirmed fields into the stored values: the server always; with authentication
    // the Boolean true, account and password; without it only the Boolean false, so the stored
    // account and password stay. The sent-copy settings are written as shown.
    void StoreFields();
    // The account as the fields show it now (for listing the IMAP server's folders).
    TSmtpAccount ShownAccount() const;

    QLineEdit* sEdit1 = nullptr;      // server
    QCheckBox* sCheckBox1 = nullptr;  // "Server požaduje ověření"
    QLineEdit* sEdit2 = nullptr;      // account name
    QLineEdit* sEdit3 = nullptr;      // password
    QLabel* sLabel4 = nullptr;        // where the password is kept
    QPushButton* sBitBtn1 = nullptr;  // "Ok"
    QPushButton* sBitBtn2 = nullptr;  // "Zrušit"
    SentCopySection* sentCopy = nullptr;
    ProviderSection* provider = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    // Esc does not close the dialog: neither button is its cancel button.
    void keyPressEvent(QKeyEvent* event) override;

private:
    QLabel* MakeLabel(QWidget* parent, const char* name, const QString& caption, QPoint at);
    QLineEdit* MakeEdit(QWidget* parent, const char* name, const QRect& geometry);
    QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption, const QRect& geometry);
    void FormShow();
    void sCheckBox1Click();

    TFormStorage& storage_;
    const TPasswordAtRest& password_;
    QWidget& mainWindow_;
};

}  // namespace quillory
