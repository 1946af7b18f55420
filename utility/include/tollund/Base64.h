#pragma once

#include <tollund/TollundApi.h>

// Base64 with the standard alphabet (RFC 4648, section 4) on caller-owned buffers.
class TOLLUND_API Base64 {
public:
    Base64();
    ~Base64();

    // Output size of binToBase64 for n bytes, terminating zero included: 4 * ceil(n / 3) + 1;
    // -1 when that does not fit an int.
    static int calculateBase64Len(unsigned n);
    // Upper bound of the decoded size of a text of n characters: (n / 4) * 3; -1 when that does
    // not fit an int.
    static int calculateBinLen(unsigned n);
    // Writes the Base64 text of n bytes and a terminating zero; output holds
    // calculateBase64Len(n) bytes.
    static void binToBase64(const unsigned char* input, char* output, unsigned n);
    // Decodes text (optionally prefixed by "+ ") until its terminating zero or a carriage return
    // at a group boundary. Returns the bytes written, or -1 for a malformed text or when a byte
    // would go beyond limit (0 = no limit).
    static int base64ToBin(const char* text, unsigned char* output, unsigned limit);

private:
    static signed char decode64(char c);
};
