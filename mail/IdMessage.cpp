#include "mail/IdMessage.h"

#include "mail/IdException.h"

namespace quillory {

TIdMessage::TIdMessage() {
    Clear();
    SetEncoding(TIdMessageEncoding::meMIME);
}

void TIdMessage::ClearHeader() {
    ccList_.Clear();
    bccList_.Clear();
    replyTo_.Clear();
    recipients_.Clear();
    newsGroups_.clear();
    rawHeaders_.Clear();
    extraHeaders_.Clear();
    mimeBoundary_.clear();
    from_.SetText("");
    sender_.SetText("");
    receiptRecipient_.SetText("");
    Organization.clear();
    References.clear();
    Subject.clear();
    ContentType.clear();
    CharSet.clear();
    ContentTransferEncoding.clear();
    ContentDisposition.clear();
    Priority = TIdMessagePriority::mpNormal;
    date_ = 0;
}

void TIdMessage::ClearBody() {
    parts_.Clear();
    body_.clear();
}

void TIdMessage::Clear() {
    ClearHeader();
    ClearBody();
}

void TIdMessage::SetEncoding(TIdMessageEncoding encoding) {
    encoding_ = encoding;
    SetAttachmentEncoding(encoding == TIdMessageEncoding::meMIME ? "MIME" : "UUE");
}

TIdHeaderList TIdMessage::ComposeHeaders() {
    parts_.CountParts();
    const auto& counts = parts_.Counts();
    const bool mime = encoding_ == TIdMessageEncoding::meMIME;
    if (!mime && (counts.relatedParts > 0 || counts.textParts > 0))
        throw EIdMessageException("Invalid Encoding. UU only allows Body and Attachments");
    if (mime) {
        parts_.MessageEncoderInfo().SetMultipartContentType(counts, ContentType);
        if (!CharSet.empty()) {
            const std::string parameter = "charset=\"" + CharSet + "\"";
            ContentType = ContentType.empty() ? parameter : ContentType + ";\r\n\t" + parameter;
        }
    }

    THeaderCharset charset = ChooseHeaderCharset();
    if (OnInitializeISO) OnInitializeISO(charset.transfer, charset.encoding, charset.charset);

    TIdHeaderList headers(rawHeaders_.Lines());
    headers.SetHeaderValue("From", EncodeAddressForHeader(from_, charset));
    headers.SetHeaderValue("Subject", EncodeHeaderText(Subject, "", charset));
    headers.SetHeaderValue("To", EncodeAddressListForHeader(recipients_, charset));
    headers.SetHeaderValue("Cc", EncodeAddressListForHeader(ccList_, charset));
    headers.SetHeaderValue("Newsgroups", CommaText(newsGroups_));
    if (mime) {
        headers.SetHeaderValue("Content-Type", ContentType);
        if (!parts_.Empty()) headers.SetHeaderValue("MIME-Version", "1.0");
        headers.SetHeaderValue("Content-Transfer-Encoding", ContentTransferEncoding);
    }
    headers.SetHeaderValue("Sender", sender_.Text());
    headers.SetHeaderValue("Reply-To", EncodeAddressListForHeader(replyTo_, charset));
    headers.SetHeaderValue("Organization", EncodeHeaderText(Organization, "", charset));
    headers.SetHeaderValue("Disposition-Notification-To", EncodeAddressForHeader(receiptRecipient_, charset));
    headers.SetHeaderValue("References", References);
    headers.SetHeaderValue("Date", FormatMailDate(UseNowForDate() ? Now() : date_));
    headers.SetHeaderValue("X-Priority", std::to_string(static_cast<int>(Priority) + 1));
    headers.SetHeaderValue("X-Library", LibraryHeaderValue);
    headers.AddStrings(extraHeaders_);
    return headers;
}

}  // namespace quillory
