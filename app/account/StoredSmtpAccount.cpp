#include "app/account/StoredSmtpAccount.h"

#include "storage/StoredValues.h"
#include "storage/Variant.h"
#include "storage/forms/FormStorage.h"

namespace quillory {

namespace {

constexpr const char* kServer = "smtpserver";
constexpr const char* kLogin = "smtplogin";
constexpr const char* kAuthenticate = "smtpovereni";
constexpr const char* kCopyToServer = "imapkopie";
constexpr const char* kImapServer = "imapserver";
constexpr const char* kImapOwnLogin = "imapvlastni";
constexpr const char* kImapLogin = "imaplogin";
constexpr const char* kImapFolder = "imapslozka";
constexpr const char* kLocalArchive = "archiv";
constexpr const char* kLoginMethod = "prihlasovani";
constexpr const char* kProvider = "poskytovatel";
constexpr const char* kMicrosoftMethod = "microsoft";

}  // namespace

void AddSmtpAccountValues(TStoredValues& values) {
    values.Add(kServer, std::string(), "kvetinacek");
    values.Add(kLogin, std::string(), "uzivatele");
    values.Add(std::string(kSmtpPasswordName), std::string(), "zahradnik");
    values.Add(kAuthenticate, false, "pripojovani");
    values.Add(kCopyToServer, false, "schranka");
    values.Add(kImapServer, std::string(), "postovni");
    values.Add(kImapOwnLogin, false, "vlastnik");
    values.Add(kImapLogin, std::string(), "prihlaseni");
    values.Add(std::string(kImapPasswordName), std::string(), "zamecnik");
    values.Add(kImapFolder, std::string(), "odeslane");
    values.Add(kLocalArchive, true, "archivar");
    values.Add(kLoginMethod, std::string(), "zpusob");
    values.Add(std::string(kOAuthAddressName), std::string(), "adresat");
    values.Add(kProvider, std::string(), "dodavatel");
    values.Add(std::string(kOAuthRefreshTokenName), std::string(), "obnovitel");
    values.Add(std::string(kOAuthScopeName), std::string(), "pravomoc");
}

TSmtpAccount ReadSmtpAccount(const TFormStorage& storage) {
    TSmtpAccount account;
    account.server = VarToStr(storage.ReadStoredValue(kServer));
    account.authenticate = VarToBool(storage.ReadStoredValue(kAuthenticate));
    account.login = VarToStr(storage.ReadStoredValue(kLogin));
    account.password = VarToStr(storage.ReadStoredValue(kSmtpPasswordName));
    TSentCopySettings& copy = account.sentCopy;
    copy.toServer = VarToBool(storage.ReadStoredValue(kCopyToServer));
    copy.server = VarToStr(storage.ReadStoredValue(kImapServer));
    copy.ownLogin = VarToBool(storage.ReadStoredValue(kImapOwnLogin));
    copy.login = VarToStr(storage.ReadStoredValue(kImapLogin));
    if (copy.ownLogin) copy.password = VarToStr(storage.ReadStoredValue(kImapPasswordName));
    copy.folder = VarToStr(storage.ReadStoredValue(kImapFolder));
    copy.localArchive = VarToBool(storage.ReadStoredValue(kLocalArchive));
    TOAuthSignIn& oauth = account.oauth;
    oauth.method = VarToStr(storage.ReadStoredValue(kLoginMethod)) == kMicrosoftMethod
                       ? TLoginMethod::Microsoft
                       : TLoginMethod::Password;
    oauth.address = VarToStr(storage.ReadStoredValue(kOAuthAddressName));
    oauth.provider = VarToStr(storage.ReadStoredValue(kProvider));
    return account;
}

void KeepFoundSentFolder(TFormStorage& storage, const std::string& wireName) {
    if (wireName.empty() || !VarToStr(storage.ReadStoredValue(kImapFolder)).empty()) return;
    storage.WriteStoredValue(kImapFolder, wireName);
}

void WriteSmtpAccount(TFormStorage& storage, const TSmtpAccount& account) {
    storage.WriteStoredValue(kServer, account.server);
    storage.WriteStoredValue(kLogin, account.login);
    storage.WriteStoredValue(kSmtpPasswordName, account.password);
    storage.WriteStoredValue(kAuthenticate, account.authenticate);
    const TSentCopySettings& copy = account.sentCopy;
    storage.WriteStoredValue(kCopyToServer, copy.toServer);
    storage.WriteStoredValue(kImapServer, copy.server);
    storage.WriteStoredValue(kImapOwnLogin, copy.ownLogin);
    storage.WriteStoredValue(kImapLogin, copy.login);
    // A password not read (no login of its own) is not written either: it keeps what it holds.
    if (copy.ownLogin) storage.WriteStoredValue(kImapPasswordName, copy.password);
    storage.WriteStoredValue(kImapFolder, copy.folder);
    storage.WriteStoredValue(kLocalArchive, copy.localArchive);
    const TOAuthSignIn& oauth = account.oauth;
    storage.WriteStoredValue(
        kLoginMethod, std::string(oauth.method == TLoginMethod::Microsoft ? kMicrosoftMethod : "heslo"));
    storage.WriteStoredValue(kOAuthAddressName, oauth.address);
    storage.WriteStoredValue(kProvider, oauth.provider);
}

}  // namespace quillory
