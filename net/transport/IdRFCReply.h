#pragma once

#include <string>

#include "mail/IdException.h"
#include "mail/IdGlobal.h"

namespace quillory {

// One numeric reply of a line-oriented protocol (RFC 5321 §4.2): the code and the text of every
// line without its four-character prefix.
class TIdRFCReply {
public:
    int NumericCode() const { return numericCode_; }
    // A value above 0 also sets TextCode to its decimal text.
    void SetNumericCode(int code);
    const std::string& TextCode() const { return textCode_; }
    // A non-empty text also sets NumericCode to its value, 0 when it is not a number; so a
    // malformed code shows as NumericCode 0 with the text kept in TextCode.
    void SetTextCode(const std::string& code);
    const TIdStrings& Text() const { return text_; }
    void SetText(const TIdStrings& lines) { text_ = lines; }

    void ClearReply();
    // Fills the reply from the lines of one reply as read from the wire (line ends removed); the
    // code is that of the last line.
    void ParseReplyLines(const TIdStrings& lines);

private:
    int numericCode_ = 0;
    std::string textCode_;
    TIdStrings text_;
};

// A reply whose code the command does not allow; the message is the reply's text lines, each
// followed by CR LF.
class EIdProtocolReplyError : public EIdException {
public:
    EIdProtocolReplyError(int replyCode, const std::string& message)
        : EIdException(message), replyCode_(replyCode) {}
    int ReplyCode() const { return replyCode_; }

private:
    int replyCode_;
};

}  // namespace quillory
