#pragma once

#include <tollund/TollundApi.h>

#include <cstdint>
#include <string>

// MD5 digests (RFC 1321) of text, byte ranges and files, as 16 raw bytes or as 32 lower-case
// hexadecimal characters. One object serves any number of digests in sequence; it is not meant
// to be shared between threads.
class TOLLUND_API CMD5 {
public:
    CMD5();
    virtual ~CMD5();

    // 16 digest bytes of the text's bytes; 0 when output is null or the working copy cannot be
    // allocated.
    int Digest(std::string text, unsigned char* output);
    // Digest text plus a terminating zero into at least 33 bytes; 0 when output is null.
    int Digest(std::string text, char* output);
    // Digest text into output.
    int Digest(std::string text, std::string& output);
    // Digest text of length bytes into output (emptied first); always 1.
    int DigestBinary(const unsigned char* bytes, uint32_t length, std::string& output);
    // Digest text of a file's content into output; 0 (output untouched) when it cannot be opened.
    int DigestFile(std::string path, std::string& output);

private:
    void Reset();
    void AddData(const unsigned char* data, uint32_t length);
    void FinalDigest(unsigned char* output);
    void MD5Transform(const unsigned char* block);

    static uint32_t F(uint32_t x, uint32_t y, uint32_t z);
    static uint32_t G(uint32_t x, uint32_t y, uint32_t z);
    static uint32_t H(uint32_t x, uint32_t y, uint32_t z);
    static uint32_t I(uint32_t x, uint32_t y, uint32_t z);
    static void MD5STEP(uint32_t (*f)(uint32_t, uint32_t, uint32_t), uint32_t& w, uint32_t x,
                        uint32_t y, uint32_t z, uint32_t data, uint32_t s);

    uint32_t m_state[4];
    uint32_t m_count[2]; // bits hashed: low, high
    unsigned char m_buffer[64];
};
