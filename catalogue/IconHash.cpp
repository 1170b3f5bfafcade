#include "catalogue/IconHash.h"

#include "files/InputFile.h"

#include <nettle/sha2.h>

#include <cstring>
#include <vector>

namespace glyphor::catalogue {

// Nettle's SHA-256 uses the processor's SHA instructions where it has them,
// which makes the hash of a large original group a matter of microseconds.
static_assert(SHA256_DIGEST_SIZE == sizeof(IconHash));

namespace {

class Sha256 {
public:
    Sha256() { sha256_init(&m_context); }
    void add(std::span<const std::uint8_t> bytes)
    {
        sha256_update(&m_context, bytes.size(), bytes.data());
    }
    IconHash result()
    {
        IconHash out {};
        sha256_digest(&m_context, out.size(), out.data());
        return out;
    }

private:
    sha256_ctx m_context {};
};

} // namespace

IconHash HashOfBytes(std::span<const std::uint8_t> bytes)
{
    Sha256 hash;
    hash.add(bytes);
    return hash.result();
}

Result<IconHash> HashOfFile(const std::string& path)
{
    files::InputFile file = files::InputFile::open(path);
    if (!file.ok())
        return Failure { path + ": " + std::strerror(file.error()) };
    Sha256 hash;
    std::vector<std::uint8_t> piece(std::size_t { 64 } * 1024);
    for (;;) {
        const files::InputFile::Read read = file.read(piece);
        hash.add(std::span(piece).first(read.count));
        if (read.error != 0)
            return Failure { path + ": " + std::strerror(read.error) };
        if (read.count < piece.size())
            break;
    }
    return hash.result();
}

std::string HexOf(const IconHash& hash)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    out.reserve(hash.size() * 2);
    for (std::uint8_t b : hash) {
        out += kDigits[b >> 4];
        out += kDigits[b & 15];
    }
    return out;
}

std::optional<IconHash> HashFromBlob(std::span<const std::uint8_t> blob)
{
    if (blob.size() != sizeof(IconHash))
        return std::nullopt;
    IconHash out {};
    std::memcpy(out.data(), blob.data(), out.size());
    return out;
}

} // namespace glyphor::catalogue
