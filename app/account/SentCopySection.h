#pragma once

#include <QWidget>

#include "app/account/ImapFolderFetch.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace quillory {

struct TSentCopySettings;
struct TSmtpAccount;

// The section "Kopie odeslané pošty" of the outgoing-mail settings: whether a copy of every sent
// message goes to the mailbox's Sent folder over IMAP, the IMAP server, its own login when it has
// one, the folder (shown as found, another may be picked after "Načíst složky"), and whether the
// local archive keeps one too. When the outgoing server belongs to a provider that files its own
// copy, the box is unticked and a line says why.
class SentCopySection : public QWidget {
    Q_OBJECT
public:
    explicit SentCopySection(QWidget* parent);
    ~SentCopySection() override;

    // Fills the fields from the account's settings.
    void Load(const TSentCopySettings& settings);
    // The fields as settings (the IMAP password only when the server has a login of its own).
    TSentCopySettings Settings() const;
    // Empties every field, as the reset to defaults does.
    void Clear();
    // The outgoing server as typed now: a provider that files its own copy unticks the box.
    void OutgoingServerChanged(const QString& server);
    // Lists the folders of the server `account` names (the dialog's fields), to pick one from;
    // `tokens` sign in an account that logs in with Microsoft.
    void FetchFolders(const TSmtpAccount& account, TAccessTokenSource tokens = {});
    // Lays the section out `width` wide below `top`, as tall as its captions need; returns the height.
    int PlaceAt(int top, int width);

    QCheckBox* toServer = nullptr;  // "Ukládat kopii do složky Odeslané na serveru"
    QLineEdit* server = nullptr;    // the IMAP server
    QCheckBox* ownLogin = nullptr;  // "Jiné přihlášení než k odchozí poště"
    QLineEdit* login = nullptr;
    QLineEdit* password = nullptr;
    QComboBox* folder = nullptr;   // the Sent folder; the first entry is "find it"
    QPushButton* fetch = nullptr;  // "Načíst složky"
    QLabel* note = nullptr;        // why the box is unticked, or what the fetch found
    QCheckBox* localArchive = nullptr;

signals:
    // "Načíst složky" was pressed: the dialog answers with FetchFolders and its current account.
    void fetchRequested();
    // The note came or went or took another text: the section wants another height (PlaceAt).
    void heightChanged();

private:
    void UpdateEnabled();
    void ShowNote(const QString& text);
    void HideNote();
    // Puts `wireName` in the folder choice (adding it when missing) and selects it.
    void SelectFolder(const QString& wireName);

    ImapFolderFetch* fetcher_ = nullptr;
    bool providerFiles_ = false;
};

}  // namespace quillory
