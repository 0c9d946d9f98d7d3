#include <gtest/gtest.h>

#include "mail/IdCoder3to4.h"
#include "mail/IdCoderQuotedPrintable.h"
#include "mail/IdException.h"
#include "mail/IdMessageCoder.h"

namespace quillory {
namespace {

struct EncodeCase {
    const char* label;
    std::string input;
    std::string encoded;
};

TEST(EncoderMIME, EncodesBase64WithFillCharactersAndNoLineBreaks) {
    const EncodeCase cases[] = {
        {"empty", "", ""},
        {"one_byte_two_fills", "a", "YQ=="},
        {"two_bytes_one_fill", "ab", "YWI="},
        {"three_bytes_no_fill", "abc", "YWJj"},
        {"high_bytes", "\xFF\xFE\xFD", "//79"},
    };
    for (const auto& c : cases) EXPECT_EQ(EncodeTextWith<TIdEncoderMIME>(c.input), c.encoded) << c.label;

    std::string longBase64;
    for (int i = 0; i < 100; ++i) longBase64 += "eHh4";
    EXPECT_EQ(EncodeTextWith<TIdEncoderMIME>(std::string(300, 'x')), longBase64) << "no line breaks";
}

TEST(EncoderMIME, RangeReadsFromThePositionAndRefusesUnevenCounts) {
    const std::string text = "abcdefgh";
    TIdReadMemoryStream stream(text);
    stream.Seek(1);
    TIdEncoderMIME encoder;
    EXPECT_THROW(
        {
            try {
                encoder.EncodeRange(stream, 4);
            } catch (const EIdException& e) {
                EXPECT_EQ(e.Message(), "Uneven size in Encode.");
                throw;
            }
        },
        EIdException);
    EXPECT_EQ(stream.Position(), 1) << "no bytes read on the error";
    EXPECT_EQ(encoder.EncodeRange(stream, 3), "YmNk");
    EXPECT_EQ(stream.Position(), 4);
    EXPECT_EQ(encoder.EncodeRange(stream, 300), "ZWZnaA==");
}

TEST(EncoderUUEAndXXE, PrefixTheByteCountAndUseTheirTables) {
    EXPECT_EQ(EncodeTextWith<TIdEncoderUUE>("Cat"), "#0V%T");
    EXPECT_EQ(EncodeTextWith<TIdEncoderUUE>("a"), "!80``");
    EXPECT_EQ(EncodeTextWith<TIdEncoderXXE>("Cat"), "1Eq3o");
}

TEST(EncoderQuotedPrintable, EncodesBodyLines) {
    const EncodeCase cases[] = {
        {"czech_letter", "Dobr\xFD den\r\n", "Dobr=FD den\r\n"},
        {"equals_sign", "a =b\r\n", "a =3Db\r\n"},
        {"trailing_space_and_tab", "a \r\nb\t\r\n", "a=20\r\nb=09\r\n"},
        {"inner_space_stays", "a b c\r\n", "a b c\r\n"},
        {"byte_e1", "\xE1", "=E1"},
        {"control_byte", "a\x01", "a=01"},
        {"seventy_one_letters_no_break", std::string(71, 'a') + "\r\n", std::string(71, 'a') + "\r\n"},
        {"seventy_two_letters_soft_break", std::string(72, 'a') + "\r\n", std::string(72, 'a') + "=\r\n\r\n"},
        {"blank_at_end_of_input_is_escaped", "a ", "a=20"},
        {"empty", "", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(EncodeTextWith<TIdEncoderQuotedPrintable>(c.input), c.encoded) << c.label;
}

TEST(EncoderQuotedPrintable, OutputLinesNeverPassSeventySixCharacters) {
    std::string input;
    for (int i = 0; i < 5000; ++i) input += static_cast<char>(i % 7 == 0 ? '\xE8' : 'a' + i % 26);
    const std::string encoded = EncodeTextWith<TIdEncoderQuotedPrintable>(input);
    std::size_t start = 0;
    for (std::size_t end; (end = encoded.find("\r\n", start)) != std::string::npos; start = end + 2)
        EXPECT_LE(end - start, 76u);
}

TEST(EncoderQuotedPrintable, BlankBeforeLineEndAcrossTheBlockBoundaryIsEscaped) {
    // A blank as the last byte of one 8192-byte block and CR LF opening the next.
    std::string input(TIdEncoderQuotedPrintable::BlockSize - 1, '\n');
    input += " \r\n";
    const std::string encoded = EncodeTextWith<TIdEncoderQuotedPrintable>(input);
    EXPECT_TRUE(encoded.ends_with("\n=20\r\n")) << encoded.substr(encoded.size() - 10);
}

TEST(MessageEncoderMIME, WritesBase64LinesOfSeventySixCharacters) {
    const std::string source(100, 'z');
    TIdReadMemoryStream in(source);
    in.Seek(50);
    TIdMemoryStream out;
    TIdMessageEncoderMIME encoder;
    encoder.Encode(in, out);
    const std::string& text = out.Bytes();
    const std::string first = EncodeTextWith<TIdEncoderMIME>(std::string(57, 'z'));
    const std::string second = EncodeTextWith<TIdEncoderMIME>(std::string(43, 'z'));
    EXPECT_EQ(first.size(), 76u);
    EXPECT_EQ(text, first + "\r\n" + second + "\r\n");
}

TEST(MessageEncoderUUE, WritesBeginLinesFillAndEnd) {
    const std::string source = "Cat";
    TIdReadMemoryStream in(source);
    TIdMemoryStream out;
    TIdMessageEncoderUUE encoder;
    encoder.SetFilename("kocka.txt");
    encoder.Encode(in, out);
    EXPECT_EQ(out.Bytes(), "begin 660 kocka.txt\r\n#0V%T\r\n`\r\nend\r\n");
}

TEST(MessageEncoderRegistry, FindsNamesWithoutRegardToCaseAndRefusesOthers) {
    EXPECT_EQ(FindMessageEncoder("mime").Name(), "MIME");
    EXPECT_EQ(FindMessageEncoder("Uue").Name(), "UUE");
    EXPECT_EQ(FindMessageEncoder("XXE").Name(), "XXE");
    try {
        FindMessageEncoder("BinHex");
        FAIL() << "no error";
    } catch (const EIdException& e) {
        EXPECT_EQ(e.Message(), "Message encoder not found: BinHex");
    }
}

}  // namespace
}  // namespace quillory
