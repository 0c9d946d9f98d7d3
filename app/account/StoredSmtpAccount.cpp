#include "app/account/StoredSmtpAccount.h"

#include "storage/StoredValues.h"
#include "storage/Variant.h"
#include "storage/forms/FormStorage.h"

namespace quillory {

namespace {

constexpr const char* kServer = "smtpserver";
constexpr const char* kLogin = "smtplogin";
constexpr const char* kAuthenticate = "smtpovereni";

}  // namespace

void AddSmtpAccountValues(TStoredValues& values) {
    values.Add(kServer, std::string(), "kvetinacek");
    values.Add(kLogin, std::string(), "uzivatele");
    values.Add(std::string(kSmtpPasswordName), std::string(), "zahradnik");
    values.Add(kAuthenticate, false, "pripojovani");
}

TSmtpAccount ReadSmtpAccount(const TFormStorage& storage) {
    TSmtpAccount account;
    account.server = VarToStr(storage.ReadStoredValue(kServer));
    account.authenticate = VarToBool(storage.ReadStoredValue(kAuthenticate));
    account.login = VarToStr(storage.ReadStoredValue(kLogin));
    account.password = VarToStr(storage.ReadStoredValue(kSmtpPasswordName));
    return account;
}

void WriteSmtpAccount(TFormStorage& storage, const TSmtpAccount& account) {
    storage.WriteStoredValue(kServer, account.server);
    storage.WriteStoredValue(kLogin, account.login);
    storage.WriteStoredValue(kSmtpPasswordName, account.password);
    storage.WriteStoredValue(kAuthenticate, account.authenticate);
}

}  // namespace quillory
