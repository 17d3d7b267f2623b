#pragma once
#include <cstddef>
#include <memory>
#include <string>

namespace pdf {

/// A digest made as bytes come, with OpenSSL's code: on processors that have them it uses their
/// SHA instructions, and its MD5 is quicker than a portable one. Every document is digested
/// whole (its /ID, and the record's SHA-256).
class Digest {
public:
    enum Kind { Md5, Sha256 };
    explicit Digest(Kind kind);
    ~Digest();
    Digest(const Digest&) = delete;
    Digest& operator=(const Digest&) = delete;

    void add(const char* data, size_t size);
    /// The digest of the bytes added, as raw bytes; ends the digest.
    std::string result();

private:
    struct Context;
    std::unique_ptr<Context> context_;
};

}  // namespace pdf
