#pragma once

#include <QComboBox>
#include <QLineEdit>

#include "app/Win1250Text.h"
#include "app/account/StoredSmtpAccount.h"
#include "storage/forms/FormStorage.h"
#include "support/ComposerFixture.h"

namespace quillory::test {

// The account the test servers accept.
inline const QString kSmtpUser = "obchod";
inline const QString kSmtpPassword = "tajne heslo";

// A window ready to send: server, login, recipient, sender and subject.
inline void PrepareSend(TComposerFixture& f, const QString& server, bool authenticate = true) {
    TSmtpAccount account;
    account.server = ToWin1250(server);
    account.authenticate = authenticate;
    account.login = ToWin1250(kSmtpUser);
    account.password = ToWin1250(kSmtpPassword);
    WriteSmtpAccount(f.Form().FormStorage(), account);
    f.Get<QLineEdit>("sEdit1")->setText("prijemce@firma.cz");
    f.Combo(5)->setEditText("Obchod Plzeň <obchod@firma.cz>");
    f.Combo(4)->setEditText("Poptávka");
}

}  // namespace quillory::test
