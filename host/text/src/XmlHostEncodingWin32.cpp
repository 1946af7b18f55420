// The host encoding for libxml2 on Windows: code page 936 through MultiByteToWideChar and
// WideCharToMultiByte, the functions the host's own conversions use.
#include <zeph/text/XmlHostEncoding.h>

#include <libxml/encoding.h>
#include <libxml/parser.h>
#include <windows.h>

#include <mutex>
#include <vector>

namespace zeph::text {
namespace {

constexpr UINT kHostCodePage = 936;

bool IsGbkLead(unsigned char c) {
    return c >= 0x81 && c <= 0xFE;
}

// Bytes of the UTF-8 character that starts with c; 0 for a byte that starts none.
int Utf8Length(unsigned char c) {
    if (c < 0x80) {
        return 1;
    }
    if (c >= 0xC2 && c <= 0xDF) {
        return 2;
    }
    if (c >= 0xE0 && c <= 0xEF) {
        return 3;
    }
    if (c >= 0xF0 && c <= 0xF4) {
        return 4;
    }
    return 0;
}

// Converts whole characters of in[0, n) from one code page to UTF-16; returns the characters
// written, or -1 when the bytes hold a sequence the code page does not define.
int ToWide(UINT codePage, const unsigned char* in, int n, std::vector<wchar_t>& wide) {
    if (n == 0) {
        return 0;
    }
    wide.resize(static_cast<size_t>(n));
    const int w = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS,
                                      reinterpret_cast<const char*>(in), n, wide.data(), n);
    return w > 0 ? w : -1;
}

// libxml2's contract: consume whole characters of in, write at most *outlen bytes, leave an
// incomplete character at the end for the next call; report written bytes in *outlen and
// consumed bytes in *inlen; return the bytes written, or -2 at a sequence that cannot be
// converted (*inlen then stops in front of it).
int HostToUtf8(unsigned char* out, int* outlen, const unsigned char* in, int* inlen) {
    if (in == nullptr) {
        *outlen = 0;
        *inlen = 0;
        return 0;
    }
    const int room = *outlen;
    // Whole characters whose UTF-8 surely fits: one byte for ASCII, at most three for others.
    int take = 0;
    int worst = 0;
    while (take < *inlen) {
        const int length = IsGbkLead(in[take]) ? 2 : 1;
        const int need = in[take] < 0x80 ? 1 : 3;
        if (take + length > *inlen || worst + need > room) {
            break;
        }
        take += length;
        worst += need;
    }
    std::vector<wchar_t> wide;
    int w = ToWide(kHostCodePage, in, take, wide);
    int status = 0;
    if (w < 0) {
        // Convert what lies before the first undefined character, and stop there.
        int good = 0;
        while (good < take) {
            const int length = IsGbkLead(in[good]) ? 2 : 1;
            if (ToWide(kHostCodePage, in + good, length, wide) < 0) {
                break;
            }
            good += length;
        }
        take = good;
        w = ToWide(kHostCodePage, in, take, wide);
        status = -2;
    }
    const int written =
        w > 0 ? WideCharToMultiByte(CP_UTF8, 0, wide.data(), w, reinterpret_cast<char*>(out),
                                    room, nullptr, nullptr)
              : 0;
    *inlen = take;
    *outlen = written;
    return status == 0 ? written : status;
}

// The other way. A character that code page 936 cannot hold is written as the code page writes
// it ("?"), as the host's conversion does.
int Utf8ToHost(unsigned char* out, int* outlen, const unsigned char* in, int* inlen) {
    if (in == nullptr) {
        *outlen = 0;
        *inlen = 0;
        return 0;
    }
    const int room = *outlen;
    int take = 0;
    int worst = 0;
    int status = 0;
    while (take < *inlen) {
        const int length = Utf8Length(in[take]);
        if (length == 0) {
            status = -2;
            break;
        }
        // Two bytes at most for each UTF-16 unit: a character beyond the BMP is two units.
        const int need = length == 1 ? 1 : length == 4 ? 4 : 2;
        if (take + length > *inlen || worst + need > room) {
            break;
        }
        take += length;
        worst += need;
    }
    std::vector<wchar_t> wide;
    int w = ToWide(CP_UTF8, in, take, wide);
    if (w < 0) {
        int good = 0;
        while (good < take) {
            const int length = Utf8Length(in[good]);
            if (ToWide(CP_UTF8, in + good, length, wide) < 0) {
                break;
            }
            good += length;
        }
        take = good;
        w = ToWide(CP_UTF8, in, take, wide);
        status = -2;
    }
    const int written =
        w > 0 ? WideCharToMultiByte(kHostCodePage, 0, wide.data(), w,
                                    reinterpret_cast<char*>(out), room, nullptr, nullptr)
              : 0;
    *inlen = take;
    *outlen = written;
    return status == 0 ? written : status;
}

} // namespace

void RegisterXmlHostEncodings() {
    static std::once_flag once;
    std::call_once(once, [] {
        xmlInitParser();
        // xmlNewCharEncodingHandler registers each handler; libxml2 owns and keeps them.
        for (const char* name : {"GBK", "GB2312", "CP936"}) {
            xmlNewCharEncodingHandler(name, HostToUtf8, Utf8ToHost);
        }
    });
}

} // namespace zeph::text
