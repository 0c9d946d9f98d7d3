#pragma once

#include <functional>
#include <string>

#include "mail/IdCoderHeader.h"
#include "mail/IdDateTime.h"
#include "mail/IdEMailAddress.h"
#include "mail/IdGlobal.h"
#include "mail/IdHeaderList.h"
#include "mail/IdMessageParts.h"

namespace quillory {

enum class TIdMessagePriority { mpHighest, mpHigh, mpNormal, mpLow, mpLowest };
enum class TIdMessageEncoding { meMIME, meUU };

// Lets the owner change the header encoding choice before the headers are composed.
using TIdInitializeIsoEvent =
    std::function<void(TTransfer& transfer, char& headerEncoding, std::string& charSet)>;

// The in-memory e-mail: addresses, subject, body lines, optional parts and the settings that
// decide how its header block is written.
class TIdMessage {
public:
    static constexpr const char* LibraryHeaderValue = "Wren 9.00.10";

    TIdMessage();

    // Empties the header fields, then the body and the parts.
    void Clear();
    void ClearHeader();
    void ClearBody();

    // The header block of the message as a fresh list. Updates ContentType for parts and
    // CharSet. Raises EIdMessageException for meUU with text or related parts, and lets
    // EIdFailedToRetreiveTimeZoneInfo pass.
    TIdHeaderList ComposeHeaders();

    const std::string& AttachmentEncoding() const { return parts_.AttachmentEncoding(); }
    void SetAttachmentEncoding(const std::string& name) { parts_.SetAttachmentEncoding(name); }
    TIdMessageEncoding Encoding() const { return encoding_; }
    // Also sets AttachmentEncoding to "MIME" or "UUE".
    void SetEncoding(TIdMessageEncoding encoding);

    TIdStrings& Body() { return body_; }
    const TIdStrings& Body() const { return body_; }
    TIdEMailAddressList& BccList() { return bccList_; }
    const TIdEMailAddressList& BccList() const { return bccList_; }
    TIdEMailAddressList& CCList() { return ccList_; }
    const TIdEMailAddressList& CCList() const { return ccList_; }
    TIdEMailAddressList& Recipients() { return recipients_; }
    const TIdEMailAddressList& Recipients() const { return recipients_; }
    TIdEMailAddressList& ReplyTo() { return replyTo_; }
    const TIdEMailAddressList& ReplyTo() const { return replyTo_; }
    TIdEMailAddressItem& From() { return from_; }
    const TIdEMailAddressItem& From() const { return from_; }
    TIdEMailAddressItem& Sender() { return sender_; }
    const TIdEMailAddressItem& Sender() const { return sender_; }
    TIdEMailAddressItem& ReceiptRecipient() { return receiptRecipient_; }
    const TIdEMailAddressItem& ReceiptRecipient() const { return receiptRecipient_; }
    TIdStrings& NewsGroups() { return newsGroups_; }
    const TIdStrings& NewsGroups() const { return newsGroups_; }
    TIdHeaderList& ExtraHeaders() { return extraHeaders_; }
    const TIdHeaderList& ExtraHeaders() const { return extraHeaders_; }
    TIdHeaderList& RawHeaders() { return rawHeaders_; }
    const TIdHeaderList& RawHeaders() const { return rawHeaders_; }
    TIdMessageParts& MessageParts() { return parts_; }
    const TIdMessageParts& MessageParts() const { return parts_; }

    std::string CharSet;
    std::string ContentType;
    std::string ContentTransferEncoding;
    std::string ContentDisposition;
    std::string Organization;
    std::string References;
    std::string Subject;
    bool NoEncode = false;
    bool NoDecode = false;
    TIdMessagePriority Priority = TIdMessagePriority::mpNormal;
    TIdInitializeIsoEvent OnInitializeISO;

    // 0 means "use the current time".
    TDateTime Date() const { return date_; }
    void SetDate(TDateTime date) { date_ = date; }
    bool UseNowForDate() const { return date_ == 0; }
    // Either value sets Date back to 0.
    void SetUseNowForDate(bool) { date_ = 0; }

    // The boundaries met while reading a message.
    TIdStrings& MIMEBoundary() { return mimeBoundary_; }

private:
    TIdStrings body_;
    TIdEMailAddressList bccList_, ccList_, recipients_, replyTo_;
    TIdEMailAddressItem from_, sender_, receiptRecipient_;
    TIdStrings newsGroups_;
    TIdHeaderList extraHeaders_, rawHeaders_;
    TIdMessageParts parts_;
    TIdStrings mimeBoundary_;
    TIdMessageEncoding encoding_ = TIdMessageEncoding::meMIME;
    TDateTime date_ = 0;
};

}  // namespace quillory
