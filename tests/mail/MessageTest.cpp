#include <gtest/gtest.h>

#include "MailTestSupport.h"
#include "mail/IdException.h"
#include "mail/IdMessage.h"

namespace quillory {
namespace {

using test::W;

// The message as the send command fills it: sender, reply-to, one recipient, Czech subject.
class ComposeHeadersTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::FillProgramMessage(message);
        message.SetDate(EncodeDateTime(2026, 12, 8, 20, 11, 46));
    }
    TIdStrings Names(const TIdHeaderList& headers) const {
        TIdStrings names;
        for (std::size_t i = 0; i < headers.Count(); ++i)
            if (headers[i][0] != ' ' && headers[i][0] != '\t') names.push_back(headers.NameAtLine(i));
        return names;
    }
    TIdMessage message;
};

TEST_F(ComposeHeadersTest, WritesTheProgramsHeaderBlockInOrder) {
    const TIdHeaderList headers = message.ComposeHeaders();
    const std::string from = "Obchod =?windows-1250?Q?Plze=F2?= <obchod@plzen.cz>";
    ASSERT_EQ(headers.Count(), 7u) << headers.Text();
    EXPECT_EQ(headers[0], "From: " + from);
    EXPECT_EQ(headers[1], "Subject: =?windows-1250?Q?Popt=E1vka?=");
    EXPECT_EQ(headers[2], "To: sklad@brno.cz");
    EXPECT_EQ(headers[3], "Reply-To: " + from);
    EXPECT_TRUE(headers[4].starts_with("Date: Tue, 8 Dec 2026 20:11:46 ")) << headers[4];
    EXPECT_EQ(headers[5], "X-Priority: 3");
    EXPECT_EQ(headers[6], "X-Library: Wren 9.00.10");
}

TEST_F(ComposeHeadersTest, EmptyFieldsGiveNoLinesAndCcIsWrittenButBccNever) {
    message.Subject.clear();
    message.From().SetText("");
    message.BccList().SetAddressesText("skryty@x.cz");
    EXPECT_EQ(Names(message.ComposeHeaders()),
              (TIdStrings{"TO", "REPLY-TO", "DATE", "X-PRIORITY", "X-LIBRARY"}));
    message.CCList().Add().SetAddress("kopie@x.cz");
    const TIdHeaderList headers = message.ComposeHeaders();
    EXPECT_EQ(headers.GetHeaderValue("Cc"), "kopie@x.cz");
    EXPECT_EQ(headers.LineOfName("Cc"), 1);
}

TEST_F(ComposeHeadersTest, OptionalFieldsPriorityAndExtraHeaders) {
    message.Priority = TIdMessagePriority::mpHighest;
    message.Organization = W("Sklad č. 2");
    message.Sender().SetText("Sklad <sklad@x.cz>");
    message.ReceiptRecipient().SetText("potvrzeni@x.cz");
    message.References = "<a@b>";
    message.NewsGroups() = {"cz.test", "cz.misc"};
    message.ContentType = "text/plain";
    message.ContentTransferEncoding = "8bit";
    message.ExtraHeaders().Add("Subject: again");
    const TIdHeaderList headers = message.ComposeHeaders();
    EXPECT_EQ(headers.GetHeaderValue("X-Priority"), "1");
    EXPECT_EQ(headers.GetHeaderValue("Organization"), "Sklad =?windows-1250?Q?=E8.?= 2");
    EXPECT_EQ(headers.GetHeaderValue("Sender"), "Sklad <sklad@x.cz>");
    EXPECT_EQ(headers.GetHeaderValue("Disposition-Notification-To"), "potvrzeni@x.cz");
    EXPECT_EQ(headers.GetHeaderValue("References"), "<a@b>");
    EXPECT_EQ(headers.GetHeaderValue("Newsgroups"), "cz.test,cz.misc");
    EXPECT_EQ(headers.GetHeaderValue("Content-Type"), "text/plain");
    EXPECT_EQ(headers.GetHeaderValue("Content-Transfer-Encoding"), "8bit");
    EXPECT_EQ(headers.LineOfName("MIME-Version"), -1) << "no parts";
    EXPECT_EQ(headers[headers.Count() - 1], "Subject: again") << "extra headers appended unmerged";
}

TEST_F(ComposeHeadersTest, OneTextPartMakesAMultipartContentType) {
    message.MessageParts().AddText({"text"});
    const TIdHeaderList headers = message.ComposeHeaders();
    EXPECT_EQ(headers.GetHeaderValue("Content-Type"),
              "multipart/alternative; boundary=\"=_NextPart_2rfkwrensadvnqw3nerasdf\"");
    EXPECT_EQ(headers.GetHeaderValue("MIME-Version"), "1.0");
}

TEST_F(ComposeHeadersTest, AttachmentsChooseMixedOrRelatedContentType) {
    message.MessageParts().AddAttachment("/tmp/a.pdf");
    EXPECT_EQ(message.ComposeHeaders().GetHeaderValue("Content-Type"),
              "multipart/mixed; boundary=\"=_NextPart_2rfkwrensadvnqw3nerasdf\"");
    message.MessageParts().AddAttachment("/tmp/b.png").ExtraHeaders().SetHeaderValue("Content-ID", "<b>");
    EXPECT_TRUE(message.ComposeHeaders().GetHeaderValue("Content-Type").starts_with("multipart/related;"));
}

TEST_F(ComposeHeadersTest, UUEncodingRefusesTextPartsBeforeAnyLine) {
    message.SetEncoding(TIdMessageEncoding::meUU);
    EXPECT_EQ(message.AttachmentEncoding(), "UUE");
    message.MessageParts().AddText({"text"});
    try {
        message.ComposeHeaders();
        FAIL() << "no error";
    } catch (const EIdMessageException& e) {
        EXPECT_EQ(e.Message(), "Invalid Encoding. UU only allows Body and Attachments");
    }
}

TEST_F(ComposeHeadersTest, OnInitializeIsoMayChangeTheChoice) {
    message.OnInitializeISO = [](TTransfer&, char& encoding, std::string& charset) {
        encoding = 'B';
        charset = "utf-8";
    };
    EXPECT_EQ(message.ComposeHeaders().GetHeaderValue("Subject"), "=?utf-8?B?UG9wdOF2a2E=?=");
}

TEST_F(ComposeHeadersTest, CharSetParameterIsAddedToTheContentType) {
    message.CharSet = "windows-1250";
    EXPECT_EQ(message.ComposeHeaders().GetHeaderValue("Content-Type"), "charset=\"windows-1250\"");
}

TEST(Message, UseNowForDateFollowsDate) {
    TIdMessage message;
    EXPECT_TRUE(message.UseNowForDate());
    message.SetDate(EncodeDateTime(2020, 1, 1));
    EXPECT_FALSE(message.UseNowForDate());
    message.SetUseNowForDate(false);
    EXPECT_EQ(message.Date(), 0);
    EXPECT_TRUE(message.UseNowForDate());
}

TEST(Message, UnknownAttachmentEncodingKeepsThePreviousEncoder) {
    TIdMessage message;
    EXPECT_THROW(message.SetAttachmentEncoding("BinHex"), EIdException);
    EXPECT_EQ(message.AttachmentEncoding(), "MIME");
    EXPECT_EQ(message.MessageParts().MessageEncoderInfo().Name(), "MIME");
}

TEST(Message, TheAbstractPartCannotBeCreated) {
    try {
        TIdMessagePart part;
        FAIL() << "created";
    } catch (const EIdCanNotCreateMessagePart& e) {
        EXPECT_EQ(e.Message(), "TIdMessagePart can not be created.  Use descendant classes. ");
    }
}

TEST(Message, ClearEmptiesEveryField) {
    TIdMessage message;
    message.From().SetText("a@b.cz");
    message.Recipients().SetAddressesText("c@d.cz");
    message.Subject = "s";
    message.Body() = {"line"};
    message.MessageParts().AddText();
    message.Priority = TIdMessagePriority::mpLow;
    message.Clear();
    EXPECT_EQ(message.From().Text(), "");
    EXPECT_TRUE(message.Recipients().Empty());
    EXPECT_TRUE(message.Subject.empty());
    EXPECT_TRUE(message.Body().empty());
    EXPECT_TRUE(message.MessageParts().Empty());
    EXPECT_EQ(message.Priority, TIdMessagePriority::mpNormal);
}

}  // namespace
}  // namespace quillory
