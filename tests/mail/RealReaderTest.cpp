#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <memory>

#include "MailTestSupport.h"
#include "mail/IdMessageClient.h"

namespace quillory {
namespace {

using test::TMemoryLineWriter;
using test::W;

// What the recipient's mail program reads: the message text as the SMTP server stores it (the
// plain lines, before dot-stuffing and after the server has undone it) parsed by Python's e-mail
// package; fields come back as UTF-8.
std::multimap<std::string, std::string> ReadAsRecipient(const std::string& stored) {
    // One file per process: the tests run side by side.
    const std::string path = ::testing::TempDir() + "mail_real_reader_" + std::to_string(::getpid()) + ".eml";
    std::ofstream(path, std::ios::binary) << stored;
    const std::string command =
        "/usr/bin/python3 " QUILLORY_TEST_SUPPORT_DIR "/mail_read_message.py < '" + path + "'";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    std::multimap<std::string, std::string> fields;
    if (!pipe) return fields;
    std::string output;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0;) output.append(buffer, n);
    pipe.reset();
    std::remove(path.c_str());
    std::size_t start = 0;
    for (std::size_t end; (end = output.find('\n', start)) != std::string::npos; start = end + 1) {
        const std::string line = output.substr(start, end - start);
        const std::size_t tab = line.find('\t');
        fields.emplace(line.substr(0, tab), tab == std::string::npos ? "" : line.substr(tab + 1));
    }
    return fields;
}

std::vector<std::string> All(const std::multimap<std::string, std::string>& fields, const std::string& key) {
    std::vector<std::string> values;
    for (auto [it, end] = fields.equal_range(key); it != end; ++it) values.push_back(it->second);
    return values;
}

std::string One(const std::multimap<std::string, std::string>& fields, const std::string& key) {
    const auto values = All(fields, key);
    return values.size() == 1 ? values[0] : "<" + std::to_string(values.size()) + " values>";
}

TEST(RealReader, DecodesCzechSenderSubjectAndRecipientsToTheTextsThatWentIn) {
    TIdMessage message;
    const std::string sender = "Obchod Plzeň, sklad č. 2 (Řetězová)";
    const std::string subject =
        "Poptávka: příliš žluťoučký kůň úpěl ďábelské ódy = ? _ a ještě delší předmět, "
        "aby se rozdělil do několika zakódovaných slov";
    message.From().SetName(W(sender.c_str()));
    message.From().SetAddress("obchod@plzen.cz");
    message.ReplyTo().Add() = message.From();
    message.Recipients().SetAddressesText(
        W("Jiří Novák <jiri@brno.cz>, \"Novák, Petr\" <petr@brno.cz>, bare@x.cz"));
    message.CCList().Add().SetAddress("kopie@x.cz");
    message.Subject = W(subject.c_str());
    message.Body() = {W("Dobrý den,"), ".", W("posílám přehled."), "S pozdravem"};

    TMemoryLineWriter writer;
    TIdMessageClient(writer).TransmitMessage(message);
    const auto read = ReadAsRecipient(writer.wire);

    EXPECT_EQ(One(read, "from-name"), sender);
    EXPECT_EQ(One(read, "from-address"), "obchod@plzen.cz");
    EXPECT_EQ(One(read, "subject"), subject);
    EXPECT_EQ(All(read, "to"), (std::vector<std::string>{"Jiří Novák\tjiri@brno.cz",
                                                         "Novák, Petr\tpetr@brno.cz", "\tbare@x.cz"}));
    EXPECT_EQ(All(read, "cc"), std::vector<std::string>{"\tkopie@x.cz"});
    EXPECT_EQ(All(read, "reply-to"), std::vector<std::string>{sender + "\tobchod@plzen.cz"});
    EXPECT_EQ(All(read, "body"),
              (std::vector<std::string>{"Dobrý den,", ".", "posílám přehled.", "S pozdravem"}));
    EXPECT_EQ(One(read, "defects"), "");
}

TEST(RealReader, DecodesQuotedPrintableTextPartsWhoseSoftBreaksMeetDots) {
    TIdMessage message;
    message.From().SetAddress("obchod@plzen.cz");
    message.Recipients().SetAddressesText("sklad@brno.cz");
    message.Subject = "parts";
    const std::string longLine = std::string(71, 'a') + ".";
    const std::string czech = "Žluťoučký kůň " + std::string(57, 'x') + ".konec";
    message.MessageParts().AddText({longLine, W(czech.c_str()), "."});
    message.MessageParts().AddText({W("druhá")});

    TMemoryLineWriter writer;
    TIdMessageClient(writer).TransmitMessage(message);
    const auto read = ReadAsRecipient(writer.wire);

    EXPECT_EQ(All(read, "body"), (std::vector<std::string>{longLine, czech, ".", "druhá"}));
}

}  // namespace
}  // namespace quillory
