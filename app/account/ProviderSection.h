#pragma once

#include <QVector>
#include <QWidget>

#include "app/account/ProviderPresets.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace quillory {

class MicrosoftSignInPanel;
class MicrosoftTokens;
struct TSmtpAccount;

// The top of the outgoing-mail settings: the choice "Poskytovatel" (the presets of the shipped data
// file, then "Jiný"), a short hint for the chosen provider (how to get an application password),
// an offer of the provider that the address typed as the login belongs to, and for Microsoft the
// sign-in panel (MicrosoftSignInPanel).
//
// Choosing a provider fills the dialog's SMTP server and the sent copy's IMAP server (the user can
// still change them) and ticks "Server požaduje ověření"; with Microsoft the password field is not
// used. "Jiný" leaves the fields as they are.
class ProviderSection : public QWidget {
    Q_OBJECT
public:
    // The dialog's fields the section fills and reads.
    struct Fields {
        QLineEdit* smtpServer = nullptr;
        QCheckBox* authenticate = nullptr;
        QLineEdit* login = nullptr;
        QLineEdit* password = nullptr;
        QLineEdit* imapServer = nullptr;  // may be null
        QCheckBox* sentCopy = nullptr;    // may be null: IMAP's scope is asked for when ticked
    };

    ProviderSection(QWidget* parent, const Fields& fields, MicrosoftTokens& tokens,
                    QVector<ProviderPreset> presets);

    // Shows the account's provider and login method, and who is signed in.
    void Load(const TSmtpAccount& account);
    // Puts the chosen provider, the login method and who is signed in into `account`.
    void Store(TSmtpAccount& account) const;
    // Keeps the Microsoft registration typed in (MicrosoftSignInPanel::KeepRegistration).
    bool KeepRegistration();
    // Back to "Jiný" with password login, as the reset to defaults leaves the account.
    void Clear();

    // The preset chosen now; none for "Jiný".
    const ProviderPreset* Chosen() const;
    TLoginMethod Method() const;

    QComboBox* provider = nullptr;  // "Poskytovatel"
    QLabel* hint = nullptr;         // the provider's hint
    QPushButton* offer = nullptr;   // "Použít nastavení …" for the typed address's provider
    MicrosoftSignInPanel* microsoftPanel = nullptr;  // shown for Microsoft

    // Lays the section out at the top of its parent, `width` wide and as high as what it shows now
    // needs (the Microsoft panel laid out too while hidden, ready to show); returns that height.
    int PlaceAtTop(int width);

signals:
    // A preset filled the SMTP server field (the sent copy's section hears of it).
    void smtpServerFilled(const QString& server);
    // What the section shows changed, and with it the height it needs (PlaceAtTop).
    void heightChanged();

protected:
    // A sign-in still waiting for the browser ends with the dialog.
    void hideEvent(QHideEvent* event) override;

private:
    void Choose(int index, bool fill);
    void Fill(const ProviderPreset& preset);
    void LoginEdited(const QString& text);
    void UpdateFields();

    Fields fields_;
    MicrosoftTokens& tokens_;
    QVector<ProviderPreset> presets_;
    int offered_ = -1;  // the preset `offer` stands for
};

}  // namespace quillory
