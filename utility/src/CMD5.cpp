#include "LocalFile.h"

#include <tollund/CMD5.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <new>

namespace {

// The file is read in pieces of 384 bytes; many pieces are fetched per system call. The chunk
// stays small enough for the first-level cache: on a cached file the kernel's copy into a
// 384 KiB buffer took five times the system time of the copy into this one.
constexpr size_t FilePiece = 384;
constexpr size_t FileChunk = FilePiece * 64;

void ToHex(const unsigned char (&digest)[16], char* output) {
    static constexpr char digits[] = "0123456789abcdef";
    for (int i = 0; i < 16; ++i) {
        output[2 * i] = digits[digest[i] >> 4];
        output[2 * i + 1] = digits[digest[i] & 0x0f];
    }
    output[32] = '\0';
}

inline uint32_t LoadLittle(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

inline void StoreLittle(unsigned char* p, uint32_t v) {
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
    p[2] = static_cast<unsigned char>(v >> 16);
    p[3] = static_cast<unsigned char>(v >> 24);
}

} // namespace

CMD5::CMD5() {
    Reset();
}

CMD5::~CMD5() = default;

inline uint32_t CMD5::F(uint32_t x, uint32_t y, uint32_t z) {
    return z ^ (x & (y ^ z)); // (x & y) | (~x & z)
}

inline uint32_t CMD5::G(uint32_t x, uint32_t y, uint32_t z) {
    // (x & z) | (y & ~z): the terms share no bit, so adding them is the same, and lets the part
    // without x (the word just computed) be summed early.
    return (x & z) + (y & ~z);
}

inline uint32_t CMD5::H(uint32_t x, uint32_t y, uint32_t z) {
    return x ^ y ^ z;
}

inline uint32_t CMD5::I(uint32_t x, uint32_t y, uint32_t z) {
    return y ^ (x | ~z);
}

inline void CMD5::MD5STEP(uint32_t (*f)(uint32_t, uint32_t, uint32_t), uint32_t& w, uint32_t x,
                          uint32_t y, uint32_t z, uint32_t data, uint32_t s) {
    w += f(x, y, z) + data;
    w = (w << s | w >> (32 - s)) + x;
}

void CMD5::Reset() {
    m_state[0] = 0x67452301u;
    m_state[1] = 0xefcdab89u;
    m_state[2] = 0x98badcfeu;
    m_state[3] = 0x10325476u;
    m_count[0] = 0;
    m_count[1] = 0;
    std::memset(m_buffer, 0, sizeof m_buffer);
}

void CMD5::MD5Transform(const unsigned char* block) {
    uint32_t in[16];
    for (int i = 0; i < 16; ++i) {
        in[i] = LoadLittle(block + 4 * i);
    }
    uint32_t a = m_state[0];
    uint32_t b = m_state[1];
    uint32_t c = m_state[2];
    uint32_t d = m_state[3];

    MD5STEP(F, a, b, c, d, in[0] + 0xd76aa478u, 7);
    MD5STEP(F, d, a, b, c, in[1] + 0xe8c7b756u, 12);
    MD5STEP(F, c, d, a, b, in[2] + 0x242070dbu, 17);
    MD5STEP(F, b, c, d, a, in[3] + 0xc1bdceeeu, 22);
    MD5STEP(F, a, b, c, d, in[4] + 0xf57c0fafu, 7);
    MD5STEP(F, d, a, b, c, in[5] + 0x4787c62au, 12);
    MD5STEP(F, c, d, a, b, in[6] + 0xa8304613u, 17);
    MD5STEP(F, b, c, d, a, in[7] + 0xfd469501u, 22);
    MD5STEP(F, a, b, c, d, in[8] + 0x698098d8u, 7);
    MD5STEP(F, d, a, b, c, in[9] + 0x8b44f7afu, 12);
    MD5STEP(F, c, d, a, b, in[10] + 0xffff5bb1u, 17);
    MD5STEP(F, b, c, d, a, in[11] + 0x895cd7beu, 22);
    MD5STEP(F, a, b, c, d, in[12] + 0x6b901122u, 7);
    MD5STEP(F, d, a, b, c, in[13] + 0xfd987193u, 12);
    MD5STEP(F, c, d, a, b, in[14] + 0xa679438eu, 17);
    MD5STEP(F, b, c, d, a, in[15] + 0x49b40821u, 22);

    MD5STEP(G, a, b, c, d, in[1] + 0xf61e2562u, 5);
    MD5STEP(G, d, a, b, c, in[6] + 0xc040b340u, 9);
    MD5STEP(G, c, d, a, b, in[11] + 0x265e5a51u, 14);
    MD5STEP(G, b, c, d, a, in[0] + 0xe9b6c7aau, 20);
    MD5STEP(G, a, b, c, d, in[5] + 0xd62f105du, 5);
    MD5STEP(G, d, a, b, c, in[10] + 0x02441453u, 9);
    MD5STEP(G, c, d, a, b, in[15] + 0xd8a1e681u, 14);
    MD5STEP(G, b, c, d, a, in[4] + 0xe7d3fbc8u, 20);
    MD5STEP(G, a, b, c, d, in[9] + 0x21e1cde6u, 5);
    MD5STEP(G, d, a, b, c, in[14] + 0xc33707d6u, 9);
    MD5STEP(G, c, d, a, b, in[3] + 0xf4d50d87u, 14);
    MD5STEP(G, b, c, d, a, in[8] + 0x455a14edu, 20);
    MD5STEP(G, a, b, c, d, in[13] + 0xa9e3e905u, 5);
    MD5STEP(G, d, a, b, c, in[2] + 0xfcefa3f8u, 9);
    MD5STEP(G, c, d, a, b, in[7] + 0x676f02d9u, 14);
    MD5STEP(G, b, c, d, a, in[12] + 0x8d2a4c8au, 20);

    MD5STEP(H, a, b, c, d, in[5] + 0xfffa3942u, 4);
    MD5STEP(H, d, a, b, c, in[8] + 0x8771f681u, 11);
    MD5STEP(H, c, d, a, b, in[11] + 0x6d9d6122u, 16);
    MD5STEP(H, b, c, d, a, in[14] + 0xfde5380cu, 23);
    MD5STEP(H, a, b, c, d, in[1] + 0xa4beea44u, 4);
    MD5STEP(H, d, a, b, c, in[4] + 0x4bdecfa9u, 11);
    MD5STEP(H, c, d, a, b, in[7] + 0xf6bb4b60u, 16);
    MD5STEP(H, b, c, d, a, in[10] + 0xbebfbc70u, 23);
    MD5STEP(H, a, b, c, d, in[13] + 0x289b7ec6u, 4);
    MD5STEP(H, d, a, b, c, in[0] + 0xeaa127fau, 11);
    MD5STEP(H, c, d, a, b, in[3] + 0xd4ef3085u, 16);
    MD5STEP(H, b, c, d, a, in[6] + 0x04881d05u, 23);
    MD5STEP(H, a, b, c, d, in[9] + 0xd9d4d039u, 4);
    MD5STEP(H, d, a, b, c, in[12] + 0xe6db99e5u, 11);
    MD5STEP(H, c, d, a, b, in[15] + 0x1fa27cf8u, 16);
    MD5STEP(H, b, c, d, a, in[2] + 0xc4ac5665u, 23);

    MD5STEP(I, a, b, c, d, in[0] + 0xf4292244u, 6);
    MD5STEP(I, d, a, b, c, in[7] + 0x432aff97u, 10);
    MD5STEP(I, c, d, a, b, in[14] + 0xab9423a7u, 15);
    MD5STEP(I, b, c, d, a, in[5] + 0xfc93a039u, 21);
    MD5STEP(I, a, b, c, d, in[12] + 0x655b59c3u, 6);
    MD5STEP(I, d, a, b, c, in[3] + 0x8f0ccc92u, 10);
    MD5STEP(I, c, d, a, b, in[10] + 0xffeff47du, 15);
    MD5STEP(I, b, c, d, a, in[1] + 0x85845dd1u, 21);
    MD5STEP(I, a, b, c, d, in[8] + 0x6fa87e4fu, 6);
    MD5STEP(I, d, a, b, c, in[15] + 0xfe2ce6e0u, 10);
    MD5STEP(I, c, d, a, b, in[6] + 0xa3014314u, 15);
    MD5STEP(I, b, c, d, a, in[13] + 0x4e0811a1u, 21);
    MD5STEP(I, a, b, c, d, in[4] + 0xf7537e82u, 6);
    MD5STEP(I, d, a, b, c, in[11] + 0xbd3af235u, 10);
    MD5STEP(I, c, d, a, b, in[2] + 0x2ad7d2bbu, 15);
    MD5STEP(I, b, c, d, a, in[9] + 0xeb86d391u, 21);

    m_state[0] += a;
    m_state[1] += b;
    m_state[2] += c;
    m_state[3] += d;
}

void CMD5::AddData(const unsigned char* data, uint32_t length) {
    if (length == 0) {
        return;
    }
    const uint32_t used = (m_count[0] >> 3) & 0x3f;
    const uint32_t low = m_count[0] + (length << 3);
    if (low < m_count[0]) {
        ++m_count[1];
    }
    m_count[0] = low;
    m_count[1] += length >> 29;

    if (used != 0) {
        const uint32_t room = 64 - used;
        if (length < room) {
            std::memcpy(m_buffer + used, data, length);
            return;
        }
        std::memcpy(m_buffer + used, data, room);
        MD5Transform(m_buffer);
        data += room;
        length -= room;
    }
    while (length >= 64) {
        MD5Transform(data);
        data += 64;
        length -= 64;
    }
    std::memcpy(m_buffer, data, length);
}

void CMD5::FinalDigest(unsigned char* output) {
    unsigned char bits[8];
    StoreLittle(bits, m_count[0]);
    StoreLittle(bits + 4, m_count[1]);

    static const unsigned char padding[64] = {0x80};
    const uint32_t used = (m_count[0] >> 3) & 0x3f;
    const uint32_t padLength = used < 56 ? 56 - used : 120 - used;
    AddData(padding, padLength);
    AddData(bits, 8);

    for (int i = 0; i < 4; ++i) {
        StoreLittle(output + 4 * i, m_state[i]);
    }
    Reset();
}

int CMD5::Digest(std::string text, unsigned char* output) {
    if (output == nullptr) {
        return 0;
    }
    const size_t length = text.size();
    std::unique_ptr<unsigned char[]> copy(new (std::nothrow) unsigned char[length + 1]);
    if (!copy) {
        return 0;
    }
    std::memcpy(copy.get(), text.data(), length);
    copy[length] = 0;
    Reset();
    // Strings longer than 4 GiB are added in pieces.
    const unsigned char* p = copy.get();
    size_t left = length;
    while (left > 0) {
        const uint32_t piece = left > 0x80000000u ? 0x80000000u : static_cast<uint32_t>(left);
        AddData(p, piece);
        p += piece;
        left -= piece;
    }
    FinalDigest(output);
    return 1;
}

int CMD5::Digest(std::string text, char* output) {
    if (output == nullptr) {
        return 0;
    }
    unsigned char digest[16];
    if (Digest(std::move(text), digest) == 0) {
        return 0;
    }
    ToHex(digest, output);
    return 1;
}

int CMD5::Digest(std::string text, std::string& output) {
    char hex[33];
    const int result = Digest(std::move(text), hex);
    if (result != 0) {
        output = hex;
    }
    return result;
}

int CMD5::DigestBinary(const unsigned char* bytes, uint32_t length, std::string& output) {
    output.clear();
    Reset();
    if (bytes != nullptr) {
        AddData(bytes, length);
    }
    unsigned char digest[16];
    FinalDigest(digest);
    char hex[33];
    ToHex(digest, hex);
    output = hex;
    return 1;
}

int CMD5::DigestFile(std::string path, std::string& output) {
    // Not shared: a file that another holder has locked (a log being written) is refused.
    const tollund::detail::LocalFile file(tollund::detail::OpenUnshared(path));
    if (file.Get() < 0) {
        return 0;
    }
    alignas(64) unsigned char chunk[FileChunk];
    Reset();
    bool readFailed = false;
    for (;;) {
        size_t filled = 0;
        while (filled < FileChunk) {
            const long long got =
                tollund::detail::ReadSome(file.Get(), chunk + filled, FileChunk - filled);
            if (got < 0) {
                readFailed = true;
            }
            if (got <= 0) {
                break;
            }
            filled += static_cast<size_t>(got);
        }
        AddData(chunk, static_cast<uint32_t>(filled));
        if (filled < FileChunk) {
            break;
        }
    }
    if (readFailed) {
        // A digest of part of the file would pass for the file's own.
        Reset();
        return 0;
    }
    output.clear();
    unsigned char digest[16];
    FinalDigest(digest);
    char hex[33];
    ToHex(digest, hex);
    output = hex;
    return 1;
}
