#include <gtest/gtest.h>

#include <algorithm>

#include "mail/IdMessageClient.h"
#include "net/smtp/IdSMTPDataWriter.h"
#include "tests/mail/MailTestSupport.h"

namespace quillory {
namespace {

using test::TMemoryLineWriter;
using test::W;

// The message text between DATA and the terminating ".": what TransmitMessage writes, passed
// through the DATA writer, as the bytes the server receives.
class DataSectionTest : public ::testing::Test {
protected:
    void SetUp() override { test::FillProgramMessage(message); }
    // Every line of the DATA section.
    std::vector<std::string> Transmit() {
        wire.wire.clear();
        TIdSMTPDataWriter data(wire);
        TIdMessageClient(data).TransmitMessage(message);
        data.Finish();
        return wire.Lines();
    }
    // The lines after the empty line that ends the header block.
    std::vector<std::string> BodyLines() {
        const auto lines = Transmit();
        const auto blank = std::find(lines.begin(), lines.end(), "");
        return {blank + 1, lines.end()};
    }
    TIdMessage message;
    TMemoryLineWriter wire;
};

TEST_F(DataSectionTest, BodyLinesThatBeginWithADotAreStuffed) {
    message.Body() = {W("Dobrý den,"), ".", ".x", "x.", "", "S pozdravem"};
    EXPECT_EQ(BodyLines(), (std::vector<std::string>{W("Dobrý den,"), "..", "..x", "x.", "", "S pozdravem"}));
    EXPECT_EQ(message.Body()[1], ".") << "stored lines keep their single dot";
}

TEST_F(DataSectionTest, RawBodyIsStuffedToo) {
    message.NoEncode = true;
    message.RawHeaders().Assign({"Subject: raw", "X-A: 1"});
    message.Body() = {".a", "b"};
    EXPECT_EQ(Transmit(), (std::vector<std::string>{"Subject: raw", "X-A: 1", "", "..a", "b"}));
}

// Dot-stuffing applies to the encoded lines: a soft line break can start a line with "." even
// when the source line does not (RFC 5321 §4.5.2).
TEST_F(DataSectionTest, QuotedPrintableLinesAreStuffedAfterEncoding) {
    message.MessageParts().AddText({W("Dobrý den"), W(".tečka")});
    message.MessageParts().AddText({"a =b"});
    auto body = BodyLines();
    EXPECT_NE(std::find(body.begin(), body.end(), "..te=E8ka"), body.end());

    // 72 letters then ".": the soft break puts the dot first on the next line; a lone "." there
    // would end the DATA section and cut the message short.
    message.MessageParts().Clear();
    message.MessageParts().AddText({std::string(72, 'a') + ".", std::string(72, 'b') + ".x"});
    message.MessageParts().AddText({"second"});
    body = BodyLines();
    EXPECT_NE(std::find(body.begin(), body.end(), ".."), body.end());
    EXPECT_NE(std::find(body.begin(), body.end(), "..x"), body.end());
    EXPECT_EQ(std::find(body.begin(), body.end(), "."), body.end());
}

// The copy for the Sent folder is the text as the server keeps it: the wire's bytes with the
// stuffing taken off again, whichever way the writers above put their lines.
TEST(DataWriterCopy, CopyIsTheWireWithoutTheStuffing) {
    struct TRow {
        const char* name;
        std::vector<std::pair<bool, std::string>> writes;  // true: WriteLine, false: WriteText
        std::string copy;
    };
    const TRow rows[] = {
        {"plain lines", {{true, "a"}, {true, "b"}}, "a\r\nb\r\n"},
        {"dotted lines", {{true, "."}, {true, "..x"}, {true, "x."}}, ".\r\n..x\r\nx.\r\n"},
        {"dot after a text's line break", {{false, "a\r\n.b\r\n"}}, "a\r\n.b\r\n"},
        {"bare line ends become CR LF", {{false, "a\nb\rc"}}, "a\r\nb\r\nc\r\n"},
        {"a text split in the middle of a line",
         {{false, ".a"}, {false, "b\r"}, {false, "\n.c"}},
         ".ab\r\n.c\r\n"},
        {"a line after an open text", {{false, "x"}, {true, ".y"}}, "x.y\r\n"},
    };
    for (const TRow& row : rows) {
        TMemoryLineWriter wire;
        std::string copy;
        TIdSMTPDataWriter data(wire, [&copy](std::string_view bytes) { copy.append(bytes); });
        for (const auto& [line, text] : row.writes) line ? data.WriteLine(text) : data.WriteText(text);
        data.Finish();
        EXPECT_EQ(copy, row.copy) << row.name;
        // Unstuffing the wire by the rule of RFC 5321 §4.5.2 gives the copy back.
        std::string unstuffed;
        for (const std::string& line : wire.Lines())
            unstuffed += (line.starts_with('.') ? line.substr(1) : line) + "\r\n";
        EXPECT_EQ(unstuffed, copy) << row.name;
    }
}

}  // namespace
}  // namespace quillory
