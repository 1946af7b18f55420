// Prints code page 936 as the Windows code page functions convert it, one line per input:
//   D <bytes> <code points>   every single byte 80-FF and every pair 81-FE x 40-FE
//   E <code point> <bytes> <bytes>   every BMP code point from 80 (surrogates left out), with
//                                   flags 0 and with WC_NO_BEST_FIT_CHARS
// with "-" for what the function refuses, and "!" before bytes the encoder wrote as its
// default character. Decoding takes flags 0: a pair the code page does not hold becomes "?".
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

void EncodeWith(wchar_t cp, DWORD flags) {
    char bytes[8];
    BOOL usedDefault = FALSE;
    int n =
        WideCharToMultiByte(kCodePage, flags, &cp, 1, bytes, sizeof bytes, nullptr, &usedDefault);
    std::printf(" ");
    if (n <= 0) {
        std::printf("-");
        return;
    }
    if (usedDefault) {
        std::printf("!");
    }
    for (int i = 0; i < n; ++i) {
        std::printf("%02X", static_cast<unsigned char>(bytes[i]));
    }
}

void Encode(wchar_t cp) {
    std::printf("E %04X", static_cast<unsigned>(cp));
    EncodeWith(cp, 0);
    EncodeWith(cp, WC_NO_BEST_FIT_CHARS);
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
