// Attachments as the message writer puts them on the wire: their part headers with file names of
// any letters, their bytes read while they are written, the size counted without reading them,
// and files that are not what they were when attached.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "MailTestSupport.h"
#include "mail/IdCoder3to4.h"
#include "mail/IdException.h"
#include "mail/IdMessageClient.h"
#include "mail/IdMimeParameter.h"

namespace quillory {
namespace {

using test::TMemoryLineWriter;
using test::W;

std::string TempPath(const std::string& name) { return ::testing::TempDir() + name; }

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::string Bytes(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    return bytes;
}

// The lines between the part header of the attachment named `name` and the next empty line.
std::vector<std::string> PartLines(const std::vector<std::string>& lines, const std::string& header) {
    auto at = std::find(lines.begin(), lines.end(), header);
    if (at == lines.end()) return {};
    at = std::find(at, lines.end(), "");
    const auto end = std::find(at + 1, lines.end(), "");
    return {at + 1, end};
}

class AttachmentWriterTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::FillProgramMessage(message);
        message.Body() = {"body"};
    }
    TIdAttachment& Attach(const std::string& name, const std::string& bytes) {
        WriteFile(TempPath(name), bytes);
        TIdAttachment& attachment = message.MessageParts().AddAttachment(TempPath(name));
        attachment.SetExpectedSize(static_cast<std::int64_t>(bytes.size()));
        return attachment;
    }
    TIdMessage message;
    TMemoryLineWriter writer;
};

TEST_F(AttachmentWriterTest, FileNamesOfAnyLettersGoInTheFormsReadersDecode) {
    const struct {
        const char* label;
        std::string name;
        std::vector<std::string> typeLines, dispositionLines;
    } cases[] = {
        {"plain ASCII stays quoted",
         "cenik.pdf",
         {"Content-Type: application/pdf;", "        name=\"cenik.pdf\""},
         {"Content-Disposition: attachment;", "        filename=\"cenik.pdf\""}},
        // Forms checked with Python's e-mail parser, which decodes both to the name.
        {"Czech letters: RFC 2231 and RFC 2047",
         "Ceník 2027 – Žďár.pdf",
         {"Content-Type: application/pdf;",
          "        name=\"=?UTF-8?B?Q2Vuw61rIDIwMjcg4oCTIMW9xI/DoXIucGRm?=\""},
         {"Content-Disposition: attachment;",
          "        filename*0*=UTF-8''Cen%C3%ADk%202027%20%E2%80%93%20%C5%BD%C4%8F%C3%A1;",
          "        filename*1*=r.pdf"}},
        {"a quote is encoded, never written raw",
         "a\"b;c.txt",
         {"Content-Type: application/pdf;", "        name=\"=?UTF-8?B?YSJiO2MudHh0?=\""},
         {"Content-Disposition: attachment;", "        filename*=UTF-8''a%22b%3Bc.txt"}},
        {"a long name is cut into sections and words, never inside a character or an escape",
         "Nabídka_řezaných_dřevěných_hranolů_pro_stavebniny_Žďár_nad_Sázavou.pdf",
         {"Content-Type: application/pdf;",
          "        name=\"=?UTF-8?B?TmFiw61ka2FfxZllemFuw71jaF9kxZlldsSbbsO9Y2hfaHJh?=",
          "        =?UTF-8?B?bm9sxa9fcHJvX3N0YXZlYm5pbnlfxb3Ej8Ohcl9uYWRfU8Oh?=",
          "        =?UTF-8?B?emF2b3UucGRm?=\""},
         {"Content-Disposition: attachment;",
          "        filename*0*=UTF-8''Nab%C3%ADdka_%C5%99ezan%C3%BDch_d%C5%99ev%C4%9Bn;",
          "        filename*1*=%C3%BDch_hranol%C5%AF_pro_stavebniny_%C5%BD%C4%8F%C3%A1r_;",
          "        filename*2*=nad_S%C3%A1zavou.pdf"}},
    };
    for (const auto& c : cases) {
        message.MessageParts().Clear();
        writer.wire.clear();
        const std::string path = TempPath(c.name);
        WriteFile(path, "x");
        message.MessageParts().AddAttachment(path).SetContentType("application/pdf");
        TIdMessageClient(writer).TransmitMessage(message);
        const auto lines = writer.Lines();
        auto type = std::find(lines.begin(), lines.end(), c.typeLines.front());
        ASSERT_NE(type, lines.end()) << c.label;
        EXPECT_EQ(std::vector<std::string>(type, type + static_cast<std::ptrdiff_t>(c.typeLines.size())),
                  c.typeLines)
            << c.label;
        auto disposition = std::find(lines.begin(), lines.end(), c.dispositionLines.front());
        ASSERT_NE(disposition, lines.end()) << c.label;
        EXPECT_EQ(std::vector<std::string>(
                      disposition, disposition + static_cast<std::ptrdiff_t>(c.dispositionLines.size())),
                  c.dispositionLines)
            << c.label;
        for (const auto& line : lines) EXPECT_LE(line.size(), 78u) << c.label << ": " << line;
        std::filesystem::remove(path);
    }
}

TEST_F(AttachmentWriterTest, TheOneTextPartIsTheBodyWithItsOwnTypeAndEncoding) {
    message.Body().clear();
    TIdText& text = message.MessageParts().AddText({W("Dobrý den,"), "S pozdravem"});
    text.SetContentType("text/plain; charset=windows-1250");
    text.SetContentTransfer("quoted-printable");
    Attach("priloha.bin", "abc");
    TIdMessageClient(writer).TransmitMessage(message);
    const auto lines = writer.Lines();
    const auto body = std::find(lines.begin(), lines.end(), "--=_NextPart_2rfkwrensadvnqw3nerasdf");
    ASSERT_NE(body, lines.end());
    const std::vector<std::string> expected = {
        "--=_NextPart_2rfkwrensadvnqw3nerasdf",
        "Content-Type: text/plain; charset=windows-1250",
        "Content-Transfer-Encoding: quoted-printable",
        "",
        "Dobr=FD den,",
        "S pozdravem",
        "",
        "--=_NextPart_2rfkwrensadvnqw3nerasdf",
        "Content-Type: application/octet-stream;",
    };
    EXPECT_EQ(std::vector<std::string>(body, body + static_cast<std::ptrdiff_t>(expected.size())), expected);
}

// Sizes around the 57-byte line and the 7296-byte block the encoder reads at a time.
TEST_F(AttachmentWriterTest, BytesGoOutAsBase64LinesOf76AndTheCountedSizeIsTheWrittenSize) {
    for (const std::size_t size : {0u, 1u, 56u, 57u, 58u, 7295u, 7296u, 7297u, 20000u}) {
        message.MessageParts().Clear();
        writer.wire.clear();
        const std::string bytes = Bytes(size);
        Attach("data.bin", bytes);
        const std::int64_t counted = TIdMessageClient::MessageSize(message);
        TIdMessageClient(writer).TransmitMessage(message);
        EXPECT_EQ(counted, static_cast<std::int64_t>(writer.wire.size())) << size;

        const auto lines = PartLines(writer.Lines(), "        filename=\"data.bin\"");
        std::string joined;
        for (const auto& line : lines) {
            EXPECT_LE(line.size(), 76u) << size;
            joined += line;
        }
        EXPECT_EQ(joined, EncodeTextWith<TIdEncoderMIME>(bytes)) << size;
        if (!lines.empty()) {
            EXPECT_EQ(lines.front().size(), std::min<std::size_t>(76, joined.size())) << size;
        }
    }
}

TEST_F(AttachmentWriterTest, UUEncodedSizeIsCountedAsWritten) {
    message.SetEncoding(TIdMessageEncoding::meUU);
    for (const std::size_t size : {0u, 44u, 45u, 46u, 1000u}) {
        message.MessageParts().Clear();
        writer.wire.clear();
        Attach("data.uu", Bytes(size));
        const std::int64_t counted = TIdMessageClient::MessageSize(message);
        TIdMessageClient(writer).TransmitMessage(message);
        EXPECT_EQ(counted, static_cast<std::int64_t>(writer.wire.size())) << size;
    }
}

// A line writer that changes the attached file once the first base64 block has been written.
class TChangingWriter : public TMemoryLineWriter {
public:
    std::function<void()> change;
    void WriteText(const std::string& text) override {
        TMemoryLineWriter::WriteText(text);
        if (change && text.size() > 1000) std::exchange(change, nullptr)();
    }
};

TEST_F(AttachmentWriterTest, AFileThatIsNotAsAttachedEndsTheWritingWithItsName) {
    using TKind = EIdAttachmentError::TKind;
    const std::string path = TempPath("zmena.bin");
    const struct {
        const char* label;
        std::function<void()> before, during;
        TKind kind;
        std::int64_t found;
    } cases[] = {
        {"gone before it is opened", [&] { std::filesystem::remove(path); }, nullptr, TKind::Vanished, -1},
        {"other size before it is opened", [&] { WriteFile(path, Bytes(100)); }, nullptr, TKind::SizeChanged,
         100},
        {"grows while it is read", nullptr,
         [&] { std::ofstream(path, std::ios::binary | std::ios::app) << "more"; }, TKind::SizeChanged, 30004},
        {"shrinks while it is read", nullptr, [&] { std::filesystem::resize_file(path, 10000); },
         TKind::SizeChanged, -2},
    };
    for (const auto& c : cases) {
        message.MessageParts().Clear();
        Attach("zmena.bin", Bytes(30000));
        if (c.before) c.before();
        TChangingWriter changing;
        changing.change = c.during;
        try {
            TIdMessageClient(changing).TransmitMessage(message);
            ADD_FAILURE() << c.label << ": no error";
        } catch (const EIdAttachmentError& error) {
            EXPECT_EQ(error.Kind(), c.kind) << c.label;
            EXPECT_EQ(error.FileName(), "zmena.bin") << c.label;
            EXPECT_NE(error.Message().find("\"zmena.bin\""), std::string::npos) << c.label;
            if (c.found != -2) {
                EXPECT_EQ(error.FoundSize(), c.found) << c.label;
            } else {
                EXPECT_LT(error.FoundSize(), 30000) << c.label;
            }
        }
        EXPECT_EQ(changing.openSpans, 0) << c.label;
    }
}

std::string DecodeBase64(const std::string& text) {
    std::string bytes;
    int bits = 0;
    unsigned value = 0;
    for (const char ch : text) {
        const auto at = TIdEncoderMIME::Table.find(ch);
        if (at == std::string_view::npos) continue;
        value = (value << 6) | static_cast<unsigned>(at);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            bytes += static_cast<char>((value >> bits) & 0xFF);
        }
    }
    return bytes;
}

TEST(MimeParameter, EncodedWordsStayWithinTheirLengthAndKeepCharactersWhole) {
    const std::string name = "ěščřžýáíéůúťďňó ĚŠČŘŽÝÁÍÉŮÚŤĎŇÓ ěščřžýáíéůúťďňó";
    for (const std::size_t maxLength : {75u, 62u, 20u}) {
        const auto words = EncodedWordsB(name, "UTF-8", maxLength);
        ASSERT_GT(words.size(), 1u);
        std::string decoded;
        for (const auto& word : words) {
            EXPECT_LE(word.size(), maxLength);
            ASSERT_TRUE(word.starts_with("=?UTF-8?B?") && word.ends_with("?="));
            const std::string bytes = DecodeBase64(word.substr(10, word.size() - 12));
            // Whole characters: no word begins with a UTF-8 continuation byte.
            ASSERT_FALSE(bytes.empty());
            EXPECT_NE(static_cast<unsigned char>(bytes.front()) & 0xC0, 0x80) << word;
            decoded += bytes;
        }
        EXPECT_EQ(decoded, name) << maxLength;
    }
    EXPECT_TRUE(EncodedWordsB("", "UTF-8").empty());
}

}  // namespace
}  // namespace quillory
