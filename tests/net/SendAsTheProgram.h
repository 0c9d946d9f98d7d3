#pragma once

#include <string>

#include "core/Exception.h"
#include "mail/IdMessage.h"
#include "net/smtp/IdSMTP.h"

namespace quillory::test {

// What the send command does: connect within 1000 ms and send; any error is caught and its
// message returned; a connection still up is closed (QUIT) afterwards.
inline std::string SendAsTheProgramDoes(TIdSMTP& smtp, TIdMessage& message) {
    std::string error;
    try {
        smtp.Connect(1000);
        smtp.SendMail(message);
    } catch (const Exception& caught) {
        error = caught.Message();
    }
    if (smtp.Connected()) smtp.Disconnect();
    return error;
}

}  // namespace quillory::test
