#include "net/transport/IdErrorNumbers.h"

#include <netdb.h>

#include <cerrno>

namespace quillory {

namespace {

struct ErrnoPair {
    int errnoValue;
    int winsock;
};

// Windows Sockets numbers are 10000 plus the BSD errno of the same condition; Linux numbers its
// errno values differently, hence the table.
constexpr ErrnoPair ErrnoTable[] = {
    {EINTR, 10004},
    {EBADF, 10009},
    {EACCES, 10013},
    {EPERM, 10013},
    {EFAULT, 10014},
    {EINVAL, IdWSAEINVAL},
    {EMFILE, 10024},
    {ENFILE, 10024},
    {EAGAIN, IdWSAEWOULDBLOCK},
    {EINPROGRESS, IdWSAEINPROGRESS},
    {EALREADY, 10037},
    {ENOTSOCK, 10038},
    {EDESTADDRREQ, 10039},
    {EMSGSIZE, 10040},
    {EPROTOTYPE, 10041},
    {ENOPROTOOPT, 10042},
    {EPROTONOSUPPORT, 10043},
    {ESOCKTNOSUPPORT, IdWSAESOCKTNOSUPPORT},
    {EOPNOTSUPP, 10045},
    {EPFNOSUPPORT, 10046},
    {EAFNOSUPPORT, IdWSAEAFNOSUPPORT},
    {EADDRINUSE, IdWSAEADDRINUSE},
    {EADDRNOTAVAIL, 10049},
    {ENETDOWN, 10050},
    {ENETUNREACH, 10051},
    {ENETRESET, 10052},
    {ECONNABORTED, IdWSAECONNABORTED},
    {ECONNRESET, IdWSAECONNRESET},
    // A send after the peer reset the connection: what Windows reports as a reset.
    {EPIPE, IdWSAECONNRESET},
    {ENOBUFS, IdWSAENOBUFS},
    {ENOMEM, IdWSAENOBUFS},
    {EISCONN, 10056},
    {ENOTCONN, 10057},
    {ESHUTDOWN, IdWSAESHUTDOWN},
    {ETOOMANYREFS, 10059},
    {ETIMEDOUT, IdWSAETIMEDOUT},
    {ECONNREFUSED, 10061},
    {ELOOP, 10062},
    {ENAMETOOLONG, 10063},
    {EHOSTDOWN, 10064},
    {EHOSTUNREACH, 10065},
    {ENOTEMPTY, 10066},
};

struct TextPair {
    int number;
    const char* text;
};

constexpr TextPair TextTable[] = {
    {10004, "Interrupted system call."},
    {10009, "Bad file number."},
    {10013, "Access denied."},
    {10014, "Bad address."},
    {10022, "Invalid argument."},
    {10024, "Too many open files."},
    {10035, "Operation would block. "},
    {10036, "Operation now in progress."},
    {10037, "Operation already in progress."},
    {10038, "Socket operation on non-socket."},
    {10039, "Destination address required."},
    {10040, "Message too long."},
    {10041, "Protocol wrong type for socket."},
    {10042, "Bad protocol option."},
    {10043, "Protocol not supported."},
    {10044, "Socket type not supported."},
    {10045, "Operation not supported on socket."},
    {10046, "Protocol family not supported."},
    {10047, "Address family not supported by protocol family."},
    {10048, "Address already in use."},
    {10049, "Cannot assign requested address."},
    {10050, "Network is down."},
    {10051, "Network is unreachable."},
    {10052, "Net dropped connection or reset."},
    {10053, "Software caused connection abort."},
    {10054, "Connection reset by peer."},
    {10055, "No buffer space available."},
    {10056, "Socket is already connected."},
    {10057, "Socket is not connected."},
    {10058, "Cannot send or receive after socket is closed."},
    {10059, "Too many references, cannot splice."},
    {10060, "Connection timed out."},
    {10061, "Connection refused."},
    {10062, "Too many levels of symbolic links."},
    {10063, "File name too long."},
    {10064, "Host is down."},
    {10065, "No route to host."},
    {10066, "Directory not empty"},
};

}  // namespace

int WinsockErrorFromErrno(int errnoValue) {
    for (const auto& pair : ErrnoTable) {
        if (pair.errnoValue == errnoValue) return pair.winsock;
    }
    return errnoValue;
}

int WinsockErrorFromResolver(int gaiError, int errnoValue) {
    switch (gaiError) {
    case EAI_NONAME:
        return IdWSAHOST_NOT_FOUND;
    case EAI_AGAIN:
        return IdWSATRY_AGAIN;
    case EAI_NODATA:
    case EAI_ADDRFAMILY:
        return IdWSANO_DATA;
    case EAI_FAMILY:
        return IdWSAEAFNOSUPPORT;
    case EAI_SOCKTYPE:
        return IdWSAESOCKTNOSUPPORT;
    case EAI_BADFLAGS:
        return IdWSAEINVAL;
    case EAI_MEMORY:
        return IdWSAENOBUFS;
    case EAI_SYSTEM:
        return WinsockErrorFromErrno(errnoValue);
    default:
        return IdWSANO_RECOVERY;
    }
}

const char* WinsockErrorTableText(int number) {
    for (const auto& pair : TextTable) {
        if (pair.number == number) return pair.text;
    }
    return "";
}

}  // namespace quillory
