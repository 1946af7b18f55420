#include <tollund/Base64.h>

#include <array>
#include <climits>
#include <cstdint>
#include <cstring>

namespace {

constexpr char Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Two output characters per 12 input bits.
struct EncodeTable {
    std::array<uint16_t, 4096> pairs{};
    constexpr EncodeTable() {
        for (int i = 0; i < 4096; ++i) {
            const auto hi = static_cast<uint16_t>(static_cast<unsigned char>(Alphabet[i >> 6]));
            const auto lo = static_cast<uint16_t>(static_cast<unsigned char>(Alphabet[i & 63]));
            pairs[static_cast<size_t>(i)] = static_cast<uint16_t>(hi | lo << 8); // little endian
        }
    }
};
constexpr EncodeTable Encode;

constexpr int8_t Value(unsigned char c) {
    if (c >= 'A' && c <= 'Z') {
        return static_cast<int8_t>(c - 'A');
    }
    if (c >= 'a' && c <= 'z') {
        return static_cast<int8_t>(c - 'a' + 26);
    }
    if (c >= '0' && c <= '9') {
        return static_cast<int8_t>(c - '0' + 52);
    }
    if (c == '+') {
        return 62;
    }
    if (c == '/') {
        return 63;
    }
    return -1;
}

// For the fast path: each character's bits already in place within the 24-bit group; any
// non-alphabet character sets bit 31.
struct DecodeTables {
    std::array<std::array<uint32_t, 256>, 4> shifted{};
    constexpr DecodeTables() {
        for (int c = 0; c < 256; ++c) {
            const int8_t v = Value(static_cast<unsigned char>(c));
            for (int k = 0; k < 4; ++k) {
                shifted[static_cast<size_t>(k)][static_cast<size_t>(c)] =
                    v < 0 ? 0x80000000u : static_cast<uint32_t>(v) << (18 - 6 * k);
            }
        }
    }
};
constexpr DecodeTables Decode;

} // namespace

Base64::Base64() = default;
Base64::~Base64() = default;

int Base64::calculateBase64Len(unsigned n) {
    const uint64_t length = 4 * ((static_cast<uint64_t>(n) + 2) / 3) + 1;
    return length > static_cast<uint64_t>(INT_MAX) ? -1 : static_cast<int>(length);
}

int Base64::calculateBinLen(unsigned n) {
    const uint64_t length = static_cast<uint64_t>(n / 4) * 3;
    return length > static_cast<uint64_t>(INT_MAX) ? -1 : static_cast<int>(length);
}

void Base64::binToBase64(const unsigned char* input, char* output, unsigned n) {
    if (output == nullptr) {
        return;
    }
    if (input == nullptr) {
        n = 0;
    }
    size_t i = 0;
    char* out = output;
    for (; i + 3 <= n; i += 3) {
        const uint32_t group = static_cast<uint32_t>(input[i]) << 16 |
                               static_cast<uint32_t>(input[i + 1]) << 8 | input[i + 2];
        const uint16_t first = Encode.pairs[group >> 12];
        const uint16_t second = Encode.pairs[group & 0xfff];
        std::memcpy(out, &first, 2);
        std::memcpy(out + 2, &second, 2);
        out += 4;
    }
    const size_t rest = n - i;
    if (rest == 1) {
        const uint32_t group = static_cast<uint32_t>(input[i]) << 16;
        out[0] = Alphabet[group >> 18];
        out[1] = Alphabet[(group >> 12) & 63];
        out[2] = '=';
        out[3] = '=';
        out += 4;
    } else if (rest == 2) {
        const uint32_t group =
            static_cast<uint32_t>(input[i]) << 16 | static_cast<uint32_t>(input[i + 1]) << 8;
        out[0] = Alphabet[group >> 18];
        out[1] = Alphabet[(group >> 12) & 63];
        out[2] = Alphabet[(group >> 6) & 63];
        out[3] = '=';
        out += 4;
    }
    *out = '\0';
}

int Base64::base64ToBin(const char* text, unsigned char* output, unsigned limit) {
    if (text == nullptr || output == nullptr) {
        return -1;
    }
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    if (p[0] == '+' && p[1] == ' ') {
        p += 2;
    }
    if (*p == '\r') {
        return 0;
    }
    // Only the bytes before the terminating zero are ever read.
    const size_t length = std::strlen(reinterpret_cast<const char*>(p));
    const unsigned char* const end = p + length;
    size_t written = 0;
    const auto fits = [&](size_t count) { return limit == 0 || written + count <= limit; };

    for (;;) {
        // Fast path: four alphabet characters and room for their three bytes.
        while (end - p >= 4 && fits(3)) {
            const uint32_t group = Decode.shifted[0][p[0]] | Decode.shifted[1][p[1]] |
                                   Decode.shifted[2][p[2]] | Decode.shifted[3][p[3]];
            if (group & 0x80000000u) {
                break;
            }
            output[written] = static_cast<unsigned char>(group >> 16);
            output[written + 1] = static_cast<unsigned char>(group >> 8);
            output[written + 2] = static_cast<unsigned char>(group);
            written += 3;
            p += 4;
        }

        if (p == end || *p == '\r') {
            return static_cast<int>(written);
        }
        if (end - p < 4) {
            return -1; // the text ends inside a group
        }
        const signed char c1 = decode64(static_cast<char>(p[0]));
        const signed char c2 = decode64(static_cast<char>(p[1]));
        const signed char c3 = decode64(static_cast<char>(p[2]));
        const signed char c4 = decode64(static_cast<char>(p[3]));
        if (c1 < 0 || c2 < 0 || (c3 < 0 && p[2] != '=') || (c4 < 0 && p[3] != '=')) {
            return -1;
        }
        const unsigned char bytes[3] = {
            static_cast<unsigned char>(c1 << 2 | c2 >> 4),
            static_cast<unsigned char>((c2 & 0x0f) << 4 | (c3 < 0 ? 0 : c3 >> 2)),
            static_cast<unsigned char>((c3 < 0 ? 0 : (c3 & 0x03) << 6) | (c4 < 0 ? 0 : c4))};
        const size_t count = p[2] == '=' ? 1 : (p[3] == '=' ? 2 : 3);
        for (size_t k = 0; k < count; ++k) {
            if (!fits(1)) {
                return -1;
            }
            output[written++] = bytes[k];
        }
        p += 4;
    }
}

signed char Base64::decode64(char c) {
    return Value(static_cast<unsigned char>(c));
}
