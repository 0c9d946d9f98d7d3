#pragma once

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include "core/Exception.h"
#include "delivery/SentCopyMailbox.h"
#include "net/imap/ImapClient.h"

namespace quillory::test {

// A message source over `bytes`, handing out at most `chunk` bytes a call (0: as many as asked).
inline TImapMessageSource MessageSource(const std::string& bytes, std::size_t chunk = 0) {
    auto position = std::make_shared<std::size_t>(0);
    auto text = std::make_shared<std::string>(bytes);
    return {bytes.size(), [position, text, chunk](char* buffer, std::size_t capacity) {
                std::size_t count = std::min(capacity, text->size() - *position);
                if (chunk != 0) count = std::min(count, chunk);
                std::memcpy(buffer, text->data() + *position, count);
                *position += count;
                return count;
            }};
}

// Stores the copy of a sent message through the program's Sent folder (delivery/SentCopyMailbox):
// connect within 1000 ms, log in, find the Sent folder, store the message, log out; any error is
// caught and its message returned, and a connection still up is closed.
inline std::string StoreAsTheProgramDoes(ImapClient& imap, const std::string& user,
                                         const std::string& password, const std::string& message) {
    std::string error;
    try {
        SentCopyMailbox mailbox(imap, {user, password}, 1000);
        mailbox.Store(MessageSource(message));
        mailbox.Close();
    } catch (const Exception& caught) {
        error = caught.Message();
    }
    if (imap.IsConnected()) imap.CloseConnection();
    return error;
}

}  // namespace quillory::test
