#include <gtest/gtest.h>

#include "delivery/SentCopyAccount.h"
#include "net/imap/ImapClient.h"
#include "net/smtp/SmtpAccount.h"
#include "net/transport/ServerAddress.h"

namespace quillory {
namespace {

// The IMAP server field: the port typed, else 143; TLS at once on 993, STARTTLS elsewhere.
TEST(SentCopyAccount, ServerTextGivesHostPortAndProtection) {
    struct TRow {
        const char* text;
        const char* host;
        int port;
        TImapSecurity security;
    };
    const TRow rows[] = {
        {"imap.firma.cz", "imap.firma.cz", 143, TImapSecurity::StartTLS},
        {"imap.firma.cz:993", "imap.firma.cz", 993, TImapSecurity::ImplicitTLS},
        {"imap.firma.cz:143", "imap.firma.cz", 143, TImapSecurity::StartTLS},
        {" imap.firma.cz:10143 ", "imap.firma.cz", 10143, TImapSecurity::StartTLS},
        {"[::1]:993", "::1", 993, TImapSecurity::ImplicitTLS},
    };
    for (const TRow& row : rows) {
        TSmtpAccount account;
        account.sentCopy.server = row.text;
        account.readTimeoutMs = 1234;
        ImapClient client;
        ApplySentCopyAccount(client, account);
        EXPECT_EQ(client.Host, row.host) << row.text;
        EXPECT_EQ(client.Port, row.port) << row.text;
        EXPECT_EQ(client.Security, row.security) << row.text;
        EXPECT_EQ(client.ReadTimeout, 1234) << row.text;
    }
    for (const char* refused : {"", "  ", "imap:x", "[::1"}) {
        TSmtpAccount account;
        account.sentCopy.server = refused;
        ImapClient client;
        EXPECT_THROW(ApplySentCopyAccount(client, account), EServerAddressError) << refused;
    }
}

TEST(SentCopyAccount, LoginIsTheSmtpOneUnlessTheServerHasItsOwn) {
    TSmtpAccount account;
    account.authenticate = true;
    account.login = "obchod";
    account.password = "smtp heslo";
    account.sentCopy.login = "jiny";
    account.sentCopy.password = "imap heslo";
    EXPECT_EQ(SentCopyLogin(account).user, "obchod");
    EXPECT_EQ(SentCopyLogin(account).password, "smtp heslo");
    account.sentCopy.ownLogin = true;
    EXPECT_EQ(SentCopyLogin(account).user, "jiny");
    EXPECT_EQ(SentCopyLogin(account).password, "imap heslo");
    account.sentCopy.ownLogin = false;
    account.authenticate = false;
    EXPECT_EQ(SentCopyLogin(account).user, "");
    EXPECT_FALSE(SentCopyLogin(account).withToken);
}

TEST(SentCopyAccount, AMicrosoftAccountLogsInWithItsTokenUnlessTheServerHasItsOwnLogin) {
    TSmtpAccount account;
    account.oauth.method = TLoginMethod::Microsoft;
    account.oauth.address = "jana@firma.cz";
    account.login = "obchod";
    account.password = "smtp heslo";
    const TImapLogin token = SentCopyLogin(account);
    EXPECT_EQ(token.user, "jana@firma.cz");
    EXPECT_EQ(token.password, "");
    EXPECT_TRUE(token.withToken);
    account.sentCopy.ownLogin = true;
    account.sentCopy.login = "archiv";
    account.sentCopy.password = "imap heslo";
    const TImapLogin own = SentCopyLogin(account);
    EXPECT_EQ(own.user, "archiv");
    EXPECT_EQ(own.password, "imap heslo");
    EXPECT_FALSE(own.withToken);
}

TEST(SentCopyAccount, ProvidersThatFileTheirOwnCopy) {
    for (const char* server : {"smtp.gmail.com", "smtp.gmail.com:465", "SMTP.Office365.com:587",
                               "smtp-mail.outlook.com", " smtp.gmail.com. "})
        EXPECT_TRUE(ProviderFilesSentCopy(server)) << server;
    for (const char* server : {"smtp.seznam.cz:465", "", "gmail.com", "smtp.gmail.com.example.cz", "smtp:x"})
        EXPECT_FALSE(ProviderFilesSentCopy(server)) << server;
}

}  // namespace
}  // namespace quillory
