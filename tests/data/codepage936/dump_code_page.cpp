// Prints code page 936 as the Windows code page functions convert it, one line per input:
//   D <bytes> <code points>   every single byte 80-FF and every pair 81-FE x 40-FE
//   E <code point> <bytes>    every BMP code point from 80 (surrogates left out)
// with "-" for what the function refuses, and "!" before bytes the encoder wrote as its
// default character. Flags are 0 in both directions, as the host converts.
#include <windows.h>

#include <cstdio>

namespace {

constexpr UINT kCodePage = 936;

void Decode(const char* bytes, int length) {
    wchar_t wide[4];
    int n = MultiByteToWideChar(kCodePage, 0, bytes, length, wide, 4);
    std::printf("D ");
    for (int i = 0; i < length; ++i) {
        std::printf("%02X", static_cast<unsigned char>(bytes[i]));
    }
    if (n <= 0) {
        std::printf(" -");
    }
    for (int i = 0; i < n; ++i) {
        std::printf(" %04X", static_cast<unsigned>(wide[i]));
    }
    std::printf("\n");
}

void Encode(wchar_t cp) {
    char bytes[8];
    BOOL usedDefault = FALSE;
    int n = WideCharToMultiByte(kCodePage, 0, &cp, 1, bytes, sizeof bytes, nullptr, &usedDefault);
    std::printf("E %04X ", static_cast<unsigned>(cp));
    if (n <= 0) {
        std::printf("-\n");
        return;
    }
    if (usedDefault) {
        std::printf("!");
    }
    for (int i = 0; i < n; ++i) {
        std::printf("%02X", static_cast<unsigned char>(bytes[i]));
    }
    std::printf("\n");
}

} // namespace

int main() {
    for (int b = 0x80; b <= 0xFF; ++b) {
        const char one = static_cast<char>(b);
        Decode(&one, 1);
    }
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            Decode(pair, 2);
        }
    }
    for (unsigned cp = 0x80; cp <= 0xFFFF; ++cp) {
        if (cp < 0xD800 || cp > 0xDFFF) {
            Encode(static_cast<wchar_t>(cp));
        }
    }
    return 0;
}
