// The pure rules of the IMAP client: modified UTF-7 folder names (RFC 3501 §5.1.3), quoted
// string or literal for an argument (RFC 9051 §4.3), the reading of status and LIST responses,
// the responses as the reader cuts them off the wire, and the choice of the Sent folder.
#include <gtest/gtest.h>

#include <memory>

#include "NetTestSupport.h"
#include "net/imap/ImapClient.h"
#include "net/imap/ImapCommand.h"
#include "net/imap/ImapFolderName.h"
#include "net/imap/ImapResponseReader.h"
#include "net/transport/IdSocketExceptions.h"
#include "net/transport/IdTCPClient.h"

namespace quillory {
namespace {

using Strings = std::vector<std::string>;

TEST(ImapFolderName, EncodesAndDecodesBothWays) {
    struct Row {
        const char* name;
        std::string utf8;
        std::string wire;
    };
    const Row rows[] = {
        {"Czech folder", "Odeslané", "Odeslan&AOk-"},
        {"two runs in one name", "Odeslané zprávy", "Odeslan&AOk- zpr&AOE-vy"},
        {"ampersand", "&", "&-"},
        {"ampersand among runs", "Přijaté & odeslané", "P&AVk-ijat&AOk- &- odeslan&AOk-"},
        {"RFC 3501 example", "~peter/mail/台北/日本語", "~peter/mail/&U,BTFw-/&ZeVnLIqe-"},
        {"RFC 2152 example", "☺!", "&Jjo-!"},
        {"outside the BMP: a surrogate pair", "😀", "&2D3eAA-"},
        {"DEL is not printable", "\x7F", "&AH8-"},
        {"plain ASCII", "INBOX.Sent Items", "INBOX.Sent Items"},
        {"empty", "", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(EncodeImapFolderName(row.utf8), row.wire);
        EXPECT_EQ(DecodeImapFolderName(row.wire), row.utf8);
    }
    // A byte that is not UTF-8 goes as U+FFFD.
    EXPECT_EQ(EncodeImapFolderName("Odeslan\xE9"), "Odeslan&,,0-");
}

TEST(ImapFolderName, NamesThatAreNotModifiedUtf7ComeBackUnchanged) {
    const std::pair<const char*, std::string> rows[] = {
        {"a run without its end", "Odeslan&AOk"},
        {"a printable character encoded", "&AGE-"},
        {"one run split in two", "&AOk-&AOk-"},
        {"padding bits not zero", "&AOl-"},
        {"half a UTF-16 unit", "&AO-"},
        {"a lone high surrogate", "&2D0-"},
        {"a lone low surrogate", "&3gA-"},
        {"not BASE64", "&A!k-"},
        {"'/' of plain BASE64 in place of ','", "&U/BTFw-"},
        {"raw UTF-8", "Odeslané"},
        {"a control character", "a\tb"},
    };
    for (const auto& [name, wire] : rows) {
        SCOPED_TRACE(name);
        EXPECT_EQ(DecodeImapFolderName(wire), wire);
    }
}

TEST(ImapCommand, QuotesWhatAQuotedStringCarriesAndLeavesTheRestToALiteral) {
    const std::pair<std::string, std::string> rows[] = {
        {"novak", "\"novak\""},
        {"", "\"\""},
        {"tajne heslo", "\"tajne heslo\""},
        {"a\"b\\c", "\"a\\\"b\\\\c\""},
        {"{5}%*()", "\"{5}%*()\""},
        {"tajné", ""},      // 8-bit
        {"\xE8\x9A", ""},   // Windows-1250
        {"tab\there", ""},  // a control character
        {"del\x7F", ""},
    };
    for (const auto& [value, quoted] : rows) {
        SCOPED_TRACE(value);
        EXPECT_EQ(ImapCommand::Quote(value), quoted);
    }
}

TEST(ImapCommand, RefusesLineBreaksAndNulInEveryArgument) {
    for (const std::string& bad : Strings{"a\rb", "a\nb", std::string("a\0b", 3), "\r\nA2 DELETE INBOX"}) {
        EXPECT_THROW(ImapCommand("LOGIN").String(bad, "IMAP password"), EIdInvalidCommandText);
        EXPECT_THROW(ImapCommand("LOGIN").Words(bad), EIdInvalidCommandText);
        EXPECT_THROW(ImapCommand{bad}, EIdInvalidCommandText);
    }
    try {
        ImapCommand("LOGIN").String("user", "IMAP login name").String("x\ny", "IMAP password");
        FAIL();
    } catch (const EIdInvalidCommandText& error) {
        EXPECT_EQ(error.Message(), "Invalid character (CR, LF or NUL) in IMAP password.");
    }
}

TImapResponse Untagged(const std::string& text, std::vector<TImapResponse::TLiteral> literals = {}) {
    TImapResponse response;
    response.text = text;
    response.literals = std::move(literals);
    return response;
}

TEST(ImapResponse, ReadsStatusResponses) {
    struct Row {
        std::string text;
        std::string status, code, words;
    };
    const Row rows[] = {
        {"OK [CAPABILITY IMAP4rev1 LITERAL+] Dovecot ready.", "OK", "CAPABILITY IMAP4rev1 LITERAL+",
         "Dovecot ready."},
        {"NO [AUTHENTICATIONFAILED] Authentication failed.", "NO", "AUTHENTICATIONFAILED",
         "Authentication failed."},
        {"BAD", "BAD", "", ""},
        {"bye Server shutting down", "BYE", "", "Server shutting down"},
        {"PREAUTH [unclosed code", "PREAUTH", "", "[unclosed code"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        const auto status = ParseImapStatus(Untagged(row.text));
        ASSERT_TRUE(status.has_value());
        EXPECT_EQ(status->status, row.status);
        EXPECT_EQ(status->code, row.code);
        EXPECT_EQ(status->text, row.words);
    }
    EXPECT_FALSE(ParseImapStatus(Untagged("OKAY fine")).has_value());
    EXPECT_FALSE(ParseImapStatus(Untagged("CAPABILITY IMAP4rev1")).has_value());
    EXPECT_EQ(ParseImapCapabilities(" IMAP4rev1 literal+ AUTH=PLAIN  LITERAL+"),
              (Strings{"IMAP4REV1", "LITERAL+", "AUTH=PLAIN"}));
}

TEST(ImapResponse, ReadsListResponses) {
    struct Row {
        const char* name;
        TImapResponse response;
        Strings attributes;
        std::string delimiter, mailbox;
    };
    const Row rows[] = {
        {"atom name",
         Untagged("LIST (\\HasNoChildren \\Sent) \"/\" Odeslan&AOk-"),
         {"\\HasNoChildren", "\\Sent"},
         "/",
         "Odeslan&AOk-"},
        {"quoted name with a blank",
         Untagged("LIST () \".\" \"INBOX.Sent Items\""),
         {},
         ".",
         "INBOX.Sent Items"},
        {"escapes in a quoted name", Untagged("LIST () \"/\" \"a\\\"b\\\\c\""), {}, "/", "a\"b\\c"},
        {"NIL delimiter, empty name", Untagged("LIST (\\Noselect) NIL \"\""), {"\\Noselect"}, "", ""},
        {"name as a literal", Untagged("list () \"/\" {9}", {{15, "Odeslané"}}), {}, "/", "Odeslané"},
        {"inbox in any case", Untagged("LIST () \"/\" inbox"), {}, "/", "INBOX"},
        {"extended data behind the name",
         Untagged("LIST (\\Subscribed) \"/\" \"Foo\" (\"CHILDINFO\" (\"SUBSCRIBED\"))"),
         {"\\Subscribed"},
         "/",
         "Foo"},
        {"bracket in an atom name", Untagged("LIST () \"/\" a]b"), {}, "/", "a]b"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const TImapListEntry entry = ParseImapListResponse(row.response);
        EXPECT_EQ(entry.attributes, row.attributes);
        EXPECT_EQ(entry.delimiter, row.delimiter);
        EXPECT_EQ(entry.name, row.mailbox);
    }
    for (const std::string& malformed :
         Strings{"LIST \\Sent \"/\" x", "LIST () \"/\"", "LIST () \"//\" x", "LIST () \"/\" \"unterminated",
                 "LIST () \"/\" {3}", "LIST () \"/\" x y", "LIST (\\) \"/\" x",
                 "LIST () \"/\" \"bad\\escape\""}) {
        SCOPED_TRACE(malformed);
        EXPECT_THROW(ParseImapListResponse(Untagged(malformed)), EImapResponseError);
    }
}

// What the reader makes of `bytes` sent by a server that then closes: each response as
// "kind|tag|text|literal|literal...", then the error that ended the reading.
Strings ReadAll(const std::string& bytes, std::size_t maxLiteral = 1024 * 1024) {
    test::LoopbackPeer peer;
    TIdTCPClient client;
    client.Host = "127.0.0.1";
    client.Port = peer.Port();
    client.ReadTimeout = 5000;
    client.OpenConnection(1000);
    peer.Accept();
    peer.Send(bytes);
    peer.Close();
    ImapResponseReader reader(client);
    reader.MaxLiteralSize = maxLiteral;
    reader.StartExchange();
    Strings seen;
    for (;;) {
        try {
            const TImapResponse response = reader.Read();
            std::string row = response.kind == TImapResponse::TKind::Untagged ? "*"
                              : response.kind == TImapResponse::TKind::Tagged ? "tagged"
                                                                              : "+";
            row += "|" + response.tag + "|" + response.text;
            for (const auto& literal : response.literals)
                row += "|" + std::to_string(literal.position) + ":" + literal.bytes;
            seen.push_back(row);
        } catch (const Exception& error) {
            seen.push_back("error: " + error.Message());
            return seen;
        }
    }
}

TEST(ImapResponseReader, CutsResponsesOffTheWireReadingLiteralsByTheirCount) {
    struct Row {
        const char* name;
        std::string bytes;
        Strings responses;
    };
    const std::string closed = "error: Connection Closed Gracefully.";
    const Row rows[] = {
        {"tagged, untagged and continuation",
         "* OK ready\r\n+ go ahead\r\n+\r\nA1 OK done\r\n",
         {"*||OK ready", "+||go ahead", "+||", "tagged|A1|OK done", closed}},
        {"a literal holding line ends and a brace",
         "* LIST () \"/\" {9}\r\na\r\n{3}\r\nb\r\n",
         {"*||LIST () \"/\" {9}|15:a\r\n{3}\r\nb", closed}},
        {"two literals and an empty one in one response",
         "* 1 FETCH (A {2}\r\nxy B {0}\r\n C {1}\r\nz)\r\n",
         {"*||1 FETCH (A {2} B {0} C {1})|14:xy|20:|26:z", closed}},
        {"status responses and continuations carry no literal",
         "A1 NO quota {5}\r\n* BYE going {2}\r\n+ {3}\r\n",
         {"tagged|A1|NO quota {5}", "*||BYE going {2}", "+||{3}", closed}},
        {"bare line feeds",
         "* CAPABILITY IMAP4rev1\nA1 OK\n",
         {"*||CAPABILITY IMAP4rev1", "tagged|A1|OK", closed}},
        {"a literal cut short by the close", "* LIST () \"/\" {10}\r\nabc", {closed}},
        {"a line cut short by the close", "* OK ready\r\nA1 OK do", {"*||OK ready", closed}},
        {"a line that starts no response",
         "hello\r\n",
         {"error: The server sent a line that is no IMAP response: hello"}},
        {"an empty line", "\r\n", {"error: The server sent a line that is no IMAP response: "}},
        {"a literal of 4 GB refused on its announcement",
         "* LIST () \"/\" {4294967296}\r\nabc",
         {"error: The server announced a literal of 4294967296 bytes, more than the 1048576 bytes allowed."}},
        {"a size past any number",
         "* LIST () \"/\" {99999999999999999999999999}\r\n",
         {"error: The server announced a literal of more than 1048576 bytes."}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(ReadAll(row.bytes), row.responses);
    }
}

std::vector<TImapFolder> FolderList(const std::vector<std::pair<std::string, Strings>>& folders) {
    std::vector<TImapFolder> list;
    for (const auto& [wire, attributes] : folders)
        list.push_back({wire, DecodeImapFolderName(wire), attributes});
    return list;
}

TEST(ImapSentFolder, TheFolderFlaggedSentElseTheUsualNamesInOrder) {
    struct Row {
        const char* name;
        std::vector<std::pair<std::string, Strings>> folders;
        std::string sent;  // empty: none
    };
    const Row rows[] = {
        {"flag beats the names",
         {{"Sent", {}}, {"Odeslan&AOk-", {"\\HasNoChildren", "\\sent"}}},
         "Odeslan&AOk-"},
        {"a flagged folder that cannot be selected does not count",
         {{"Archive", {"\\Sent", "\\Noselect"}}, {"Sent Items", {}}},
         "Sent Items"},
        {"Sent before Odeslané", {{"Odeslan&AOk-", {}}, {"Sent", {}}}, "Sent"},
        {"Odeslané by its decoded name", {{"Sent Messages", {}}, {"Odeslan&AOk-", {}}}, "Odeslan&AOk-"},
        {"Sent Items before Sent Messages", {{"Sent Messages", {}}, {"Sent Items", {}}}, "Sent Items"},
        {"INBOX.Sent last", {{"INBOX", {}}, {"INBOX.Sent", {}}}, "INBOX.Sent"},
        {"a name that does not exist any more",
         {{"Sent", {"\\NonExistent"}}, {"INBOX.Sent", {}}},
         "INBOX.Sent"},
        {"none", {{"INBOX", {}}, {"Odeslan&AOk- zpr&AOE-vy", {}}, {"Koncepty", {"\\Drafts"}}}, ""},
        {"no folders at all", {}, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.sent.empty()) {
            EXPECT_THROW(ImapClient::FindSentFolder(FolderList(row.folders)), EImapNoSentFolder);
        } else {
            EXPECT_EQ(ImapClient::FindSentFolder(FolderList(row.folders)), row.sent);
        }
    }
}

}  // namespace
}  // namespace quillory
