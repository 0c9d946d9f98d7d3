#pragma once

#include "mail/IdException.h"

namespace quillory {

class EIdSocksError : public EIdException {
public:
    using EIdException::EIdException;
};

#define QUILLORY_SOCKS_ERROR(Name, Text) \
    class Name : public EIdSocksError {  \
    public:                              \
        Name() : EIdSocksError(Text) {}  \
    };

QUILLORY_SOCKS_ERROR(EIdSocksRequestFailed, "Request rejected or failed.")
QUILLORY_SOCKS_ERROR(EIdSocksRequestServerFailed, "Request rejected because SOCKS server cannot connect.")
QUILLORY_SOCKS_ERROR(EIdSocksRequestIdentFailed,
                     "Request rejected because the client program and identd report different user-ids.")
QUILLORY_SOCKS_ERROR(EIdSocksUnknownError, "Unknown socks error.")
QUILLORY_SOCKS_ERROR(EIdSocksServerRespondError, "Socks server did not respond.")
QUILLORY_SOCKS_ERROR(EIdSocksAuthMethodError, "Invalid socks authentication method.")
QUILLORY_SOCKS_ERROR(EIdSocksAuthError, "Authentication error to socks server.")
QUILLORY_SOCKS_ERROR(EIdSocksServerGeneralError, "General SOCKS server failure.")
QUILLORY_SOCKS_ERROR(EIdSocksServerPermissionError, "Connection not allowed by ruleset.")
QUILLORY_SOCKS_ERROR(EIdSocksServerNetUnreachableError, "Network unreachable.")
QUILLORY_SOCKS_ERROR(EIdSocksServerHostUnreachableError, "Host unreachable.")
QUILLORY_SOCKS_ERROR(EIdSocksServerConnectionRefusedError, "Connection refused.")
QUILLORY_SOCKS_ERROR(EIdSocksServerTTLExpiredError, "TTL expired.")
QUILLORY_SOCKS_ERROR(EIdSocksServerCommandError, "Command not supported.")
QUILLORY_SOCKS_ERROR(EIdSocksServerAddressError, "Address type not supported.")

#undef QUILLORY_SOCKS_ERROR

}  // namespace quillory
