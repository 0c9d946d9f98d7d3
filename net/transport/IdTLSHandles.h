#pragma once

#include <openssl/bio.h>
#include <openssl/ssl.h>

#include <memory>

namespace quillory {

// Owning handles for the OpenSSL objects of one TLS session: each frees its object when it goes.
struct TIdSSLContextFree {
    void operator()(SSL_CTX* context) const { SSL_CTX_free(context); }
};
struct TIdSSLFree {
    void operator()(SSL* session) const { SSL_free(session); }
};
struct TIdBIOMethodFree {
    void operator()(BIO_METHOD* method) const { BIO_meth_free(method); }
};

using TIdSSLContextPtr = std::unique_ptr<SSL_CTX, TIdSSLContextFree>;
using TIdSSLPtr = std::unique_ptr<SSL, TIdSSLFree>;
using TIdBIOMethodPtr = std::unique_ptr<BIO_METHOD, TIdBIOMethodFree>;

}  // namespace quillory
