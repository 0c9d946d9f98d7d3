#pragma once

namespace quillory {

// The error numbers users read in socket messages are those of Windows Sockets ("Socket Error #
// 10061"). These turn this system's errno values and getaddrinfo results into those numbers.

// The numbers the socket layer tests for or raises by name.
constexpr int IdWSAEINVAL = 10022;
constexpr int IdWSAEWOULDBLOCK = 10035;
constexpr int IdWSAEINPROGRESS = 10036;
constexpr int IdWSAESOCKTNOSUPPORT = 10044;
constexpr int IdWSAEAFNOSUPPORT = 10047;
constexpr int IdWSAEADDRINUSE = 10048;
constexpr int IdWSAECONNABORTED = 10053;
constexpr int IdWSAECONNRESET = 10054;
constexpr int IdWSAENOBUFS = 10055;
constexpr int IdWSAESHUTDOWN = 10058;
constexpr int IdWSAETIMEDOUT = 10060;

// WSAHOST_NOT_FOUND and its neighbours, the resolver's error numbers.
constexpr int IdWSAHOST_NOT_FOUND = 11001;
constexpr int IdWSATRY_AGAIN = 11002;
constexpr int IdWSANO_RECOVERY = 11003;
constexpr int IdWSANO_DATA = 11004;

// The Windows Sockets number for an errno value; an errno without a counterpart keeps its own value.
int WinsockErrorFromErrno(int errnoValue);

// The Windows Sockets number for a getaddrinfo result; EAI_SYSTEM uses `errnoValue`.
int WinsockErrorFromResolver(int gaiError, int errnoValue);

// The English text of a Windows Sockets number; empty for a number the table lacks. 11001 is not
// in this table: the stack answers it itself.
const char* WinsockErrorTableText(int number);

}  // namespace quillory
