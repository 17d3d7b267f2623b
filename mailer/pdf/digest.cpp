#include "mailer/pdf/digest.h"

#include "platform/error.h"

#include <openssl/evp.h>

namespace pdf {
namespace {

/// Fetched once: looking the algorithm up costs more than digesting a small stream.
const EVP_MD* algorithm(Digest::Kind kind)
{
    static const EVP_MD* const md5 = EVP_MD_fetch(nullptr, "MD5", nullptr);
    static const EVP_MD* const sha256 = EVP_MD_fetch(nullptr, "SHA256", nullptr);
    return kind == Digest::Md5 ? md5 : sha256;
}

[[noreturn]] void unavailable()
{
    throw platform::Error(platform::Error::Internal, QStringLiteral("OpenSSL's digests are not available"), QString());
}

}  // namespace

struct Digest::Context {
    EVP_MD_CTX* ctx = EVP_MD_CTX_new();
    ~Context() { EVP_MD_CTX_free(ctx); }
};

Digest::Digest(Kind kind) : context_(std::make_unique<Context>())
{
    const EVP_MD* md = algorithm(kind);
    if (!md || !context_->ctx || EVP_DigestInit_ex2(context_->ctx, md, nullptr) != 1)
        unavailable();
}

Digest::~Digest() = default;

void Digest::add(const char* data, size_t size)
{
    if (size > 0 && EVP_DigestUpdate(context_->ctx, data, size) != 1)
        unavailable();
}

std::string Digest::result()
{
    unsigned char out[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    if (EVP_DigestFinal_ex(context_->ctx, out, &size) != 1)
        unavailable();
    return std::string(reinterpret_cast<const char*>(out), size);
}

}  // namespace pdf
