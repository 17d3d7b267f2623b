// OpenSSL's own MD5 and SHA-256 functions, not its EVP interface: looking the algorithms up
// through EVP loads OpenSSL's configuration and providers first, most of a millisecond at the
// first document of every run. These functions are deprecated in OpenSSL 3 but kept in it.
#define OPENSSL_SUPPRESS_DEPRECATED
#include "mailer/pdf/digest.h"

#include <openssl/md5.h>
#include <openssl/sha.h>

namespace pdf {

struct Digest::Context {
    Kind kind;
    MD5_CTX md5;
    SHA256_CTX sha256;
};

Digest::Digest(Kind kind) : context_(std::make_unique<Context>())
{
    context_->kind = kind;
    if (kind == Md5)
        MD5_Init(&context_->md5);
    else
        SHA256_Init(&context_->sha256);
}

Digest::~Digest() = default;

void Digest::add(const char* data, size_t size)
{
    if (context_->kind == Md5)
        MD5_Update(&context_->md5, data, size);
    else
        SHA256_Update(&context_->sha256, data, size);
}

std::string Digest::result()
{
    unsigned char out[SHA256_DIGEST_LENGTH];
    if (context_->kind == Md5) {
        MD5_Final(out, &context_->md5);
        return std::string(reinterpret_cast<const char*>(out), MD5_DIGEST_LENGTH);
    }
    SHA256_Final(out, &context_->sha256);
    return std::string(reinterpret_cast<const char*>(out), SHA256_DIGEST_LENGTH);
}

}  // namespace pdf
