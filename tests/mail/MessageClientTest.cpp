#include <gtest/gtest.h>

#include <fstream>

#include "MailTestSupport.h"
#include "mail/IdException.h"
#include "mail/IdMessageClient.h"

namespace quillory {
namespace {

using test::TMemoryLineWriter;
using test::W;

class TransmitTest : public ::testing::Test {
protected:
    void SetUp() override { test::FillProgramMessage(message); }
    std::vector<std::string> Transmit(bool headersOnly = false) {
        TIdMessageClient client(writer);
        client.TransmitMessage(message, headersOnly);
        return writer.Lines();
    }
    // The lines after the empty line that ends the header block.
    std::vector<std::string> BodyLines(const std::vector<std::string>& lines) {
        const auto blank = std::find(lines.begin(), lines.end(), "");
        return {blank + 1, lines.end()};
    }
    TIdMessage message;
    TMemoryLineWriter writer;
};

// Lines are written plain: dot-stuffing is the DATA writer's (tests/net/DataSectionTest.cpp).
TEST_F(TransmitTest, WritesHeadersEmptyLineAndPlainBodyUnencoded) {
    message.Body() = {W("Dobrý den,"), ".", ".x", "x.", "", "S pozdravem"};
    const auto lines = Transmit();
    ASSERT_GE(lines.size(), 8u);
    EXPECT_EQ(lines[0], "From: Obchod =?windows-1250?Q?Plze=F2?= <obchod@plzen.cz>");
    EXPECT_EQ(lines[1], "Subject: =?windows-1250?Q?Popt=E1vka?=");
    EXPECT_EQ(lines[6], "X-Library: Wren 9.00.10");
    EXPECT_EQ(BodyLines(lines),
              (std::vector<std::string>{W("Dobrý den,"), ".", ".x", "x.", "", "S pozdravem"}));
    EXPECT_TRUE(writer.wire.ends_with("S pozdravem\r\n"));
    EXPECT_EQ(writer.statuses, std::vector<std::string>{"Encoding text"});
    EXPECT_EQ(writer.openSpans, 0);
}

TEST_F(TransmitTest, EmptyBodyAndHeadersOnlyEndWithTheEmptyLine) {
    Transmit();
    EXPECT_TRUE(writer.wire.ends_with("X-Library: Wren 9.00.10\r\n\r\n"));
    writer.wire.clear();
    message.Body() = {"text"};
    Transmit(true);
    EXPECT_TRUE(writer.wire.ends_with("X-Library: Wren 9.00.10\r\n\r\n"));
}

TEST_F(TransmitTest, NoEncodeWritesRawHeadersAndBodyAsStored) {
    message.NoEncode = true;
    message.RawHeaders().Assign({"Subject: raw", "X-A: 1"});
    message.Body() = {".a", "b"};
    EXPECT_EQ(Transmit(), (std::vector<std::string>{"Subject: raw", "X-A: 1", "", ".a", "b"}));
}

TEST_F(TransmitTest, OneTextPartIsNotWrittenOnlyTheBody) {
    message.MessageParts().AddText({"part text"});
    message.Body() = {"body text"};
    EXPECT_EQ(BodyLines(Transmit()), std::vector<std::string>{"body text"});
}

TEST_F(TransmitTest, TwoTextPartsAreWrittenQuotedPrintableBetweenDelimiters) {
    message.MessageParts().AddText({W("Dobrý den"), W(".tečka")});
    message.MessageParts().AddText({"a =b"});
    const std::vector<std::string> expected = {
        "This is a multi-part message in MIME format",
        "",
        "--=_NextPart_2rfkwrensadvnqw3nerasdf",
        "Content-Type: text/plain",
        "Content-Transfer-Encoding: quoted-printable",
        "",
        "Dobr=FD den",
        ".te=E8ka",
        "",
        "--=_NextPart_2rfkwrensadvnqw3nerasdf",
        "Content-Type: text/plain",
        "Content-Transfer-Encoding: quoted-printable",
        "",
        "a =3Db",
        "",
        "--=_NextPart_2rfkwrensadvnqw3nerasdf--",
    };
    EXPECT_EQ(BodyLines(Transmit()), expected);
    EXPECT_EQ(static_cast<TIdText&>(message.MessageParts().Items(0)).Body()[1], W(".tečka"));
}

TEST_F(TransmitTest, AttachmentIsWrittenAsBase64AfterItsPartHeader) {
    const std::string path = ::testing::TempDir() + "mail_priloha.bin";
    std::ofstream(path, std::ios::binary) << std::string("abc\0\xFF", 5);
    message.MessageParts().AddAttachment(path);
    message.Body() = {"see attachment"};
    const auto body = BodyLines(Transmit());
    const std::vector<std::string> expected = {
        "This is a multi-part message in MIME format",
        "",
        "--=_NextPart_2rfkwrensadvnqw3nerasdf",
        "Content-Type: text/plain",
        "Content-Transfer-Encoding: 7bit",
        "",
        "see attachment",
        "",
        "--=_NextPart_2rfkwrensadvnqw3nerasdf",
        "Content-Type: application/octet-stream;",
        "        name=\"mail_priloha.bin\"",
        "Content-Transfer-Encoding: base64",
        "Content-Disposition: attachment;",
        "        filename=\"mail_priloha.bin\"",
        "",
        "YWJjAP8=",
        "",
        "--=_NextPart_2rfkwrensadvnqw3nerasdf--",
    };
    EXPECT_EQ(body, expected);
    EXPECT_EQ(writer.statuses, std::vector<std::string>{"Encoding attachment"});
}

// A connection that fails after a number of lines, as a dropped socket would.
class TFailingWriter : public TMemoryLineWriter {
public:
    explicit TFailingWriter(int linesBeforeFailure) : left_(linesBeforeFailure) {}
    void WriteLine(const std::string& line) override {
        if (left_-- == 0) throw EIdException("Not Connected");
        TMemoryLineWriter::WriteLine(line);
    }

private:
    int left_;
};

TEST_F(TransmitTest, WriteFailurePassesOutAndEndsTheWorkSpan) {
    message.Body() = {"a", "b", "c"};
    TFailingWriter failing(9);
    TIdMessageClient client(failing);
    EXPECT_THROW(client.TransmitMessage(message), EIdException);
    EXPECT_EQ(failing.openSpans, 0);
    EXPECT_TRUE(failing.wire.ends_with("\r\n\r\na\r\n"));
}

// A listener that raises when the write span ends: its error is raised after the writing, and a
// failed write stays the error reported.
class TWorkEndFailingWriter : public TFailingWriter {
public:
    using TFailingWriter::TFailingWriter;
    void FinishWork(TWorkMode mode) override {
        TFailingWriter::FinishWork(mode);
        throw EIdException("work end failed");
    }
};

TEST_F(TransmitTest, AWorkEndThatRaisesIsReportedWithoutHidingAWriteFailure) {
    message.Body() = {"a", "b", "c"};
    const struct {
        int linesBeforeFailure;
        std::string expected;
    } cases[] = {{1000, "work end failed"}, {9, "Not Connected"}};
    for (const auto& c : cases) {
        TWorkEndFailingWriter failing(c.linesBeforeFailure);
        try {
            TIdMessageClient(failing).TransmitMessage(message);
            ADD_FAILURE() << "no error for " << c.expected;
        } catch (const EIdException& error) {
            EXPECT_EQ(error.Message(), c.expected);
        }
        EXPECT_EQ(failing.openSpans, 0) << c.expected;
    }
}

TEST_F(TransmitTest, CompositionFailureWritesNothing) {
    message.SetEncoding(TIdMessageEncoding::meUU);
    message.MessageParts().AddText({"x"});
    EXPECT_THROW(Transmit(), EIdMessageException);
    EXPECT_EQ(writer.wire, "");
}

}  // namespace
}  // namespace quillory
