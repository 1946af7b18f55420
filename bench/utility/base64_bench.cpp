// Base64 encode and decode of 64 MiB in memory, beside OpenSSL's EVP_EncodeBlock and
// EVP_DecodeBlock; MD5 of the same bytes beside OpenSSL's MD5 for reference.
#include <tollund/Base64.h>
#include <tollund/CMD5.h>

#include <benchmark/benchmark.h>
#include <openssl/evp.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr size_t Size = 64u * 1024u * 1024u;

const std::vector<unsigned char>& Bytes() {
    static const std::vector<unsigned char> bytes = [] {
        std::vector<unsigned char> b(Size);
        std::mt19937_64 random(64);
        for (size_t i = 0; i + 8 <= b.size(); i += 8) {
            const uint64_t v = random();
            std::memcpy(&b[i], &v, 8);
        }
        return b;
    }();
    return bytes;
}

const std::vector<char>& Text() {
    static const std::vector<char> text = [] {
        std::vector<char> t(static_cast<size_t>(Base64::calculateBase64Len(Size)));
        Base64::binToBase64(Bytes().data(), t.data(), Size);
        return t;
    }();
    return text;
}

void TollundEncode(benchmark::State& state) {
    const auto& in = Bytes();
    std::vector<char> out(static_cast<size_t>(Base64::calculateBase64Len(Size)));
    for (auto _ : state) {
        Base64::binToBase64(in.data(), out.data(), Size);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Size));
}

void OpenSslEncode(benchmark::State& state) {
    const auto& in = Bytes();
    std::vector<unsigned char> out(static_cast<size_t>(Base64::calculateBase64Len(Size)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(EVP_EncodeBlock(out.data(), in.data(), static_cast<int>(Size)));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Size));
}

void TollundDecode(benchmark::State& state) {
    const auto& text = Text();
    std::vector<unsigned char> out(Size + 3);
    for (auto _ : state) {
        if (Base64::base64ToBin(text.data(), out.data(), 0) != static_cast<int>(Size)) {
            state.SkipWithError("decode failed");
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Size));
}

void OpenSslDecode(benchmark::State& state) {
    const auto& text = Text();
    std::vector<unsigned char> out(Size + 3);
    const int length = static_cast<int>(text.size() - 1);
    for (auto _ : state) {
        benchmark::DoNotOptimize(EVP_DecodeBlock(
            out.data(), reinterpret_cast<const unsigned char*>(text.data()), length));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Size));
}

void TollundMd5(benchmark::State& state) {
    const auto& in = Bytes();
    CMD5 md5;
    std::string digest;
    for (auto _ : state) {
        md5.DigestBinary(in.data(), Size, digest);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Size));
}

void OpenSslMd5(benchmark::State& state) {
    const auto& in = Bytes();
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned length = 0;
    for (auto _ : state) {
        EVP_Digest(in.data(), Size, digest, &length, EVP_md5(), nullptr);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Size));
}

} // namespace

BENCHMARK(TollundEncode)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(OpenSslEncode)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(TollundDecode)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(OpenSslDecode)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(TollundMd5)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(OpenSslMd5)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
