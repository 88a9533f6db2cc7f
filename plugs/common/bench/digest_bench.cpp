// Throughput of the detection digests (CRC-32, SHA-1) streaming a 256 MB file in
// 64 KB pieces, next to zlib's crc32 and OpenSSL's SHA-1 over the same pieces. Not a
// test: it prints its figures.
#include <openssl/evp.h>
#include <zlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "FileDigest.h"

namespace
{
constexpr size_t kFileBytes = 256u * 1024u * 1024u;
constexpr size_t kPieceBytes = 64u * 1024u;
constexpr int kRuns = 3;

// Streams the file through feed, piece by piece; the best of kRuns, in seconds.
double BestSeconds(const std::string& path, const std::function<void(const uint8_t*, size_t)>& feed,
                   const std::function<void()>& start, const std::function<void()>& finish)
{
    std::vector<uint8_t> piece(kPieceBytes);
    double best = 1e9;
    for (int run = 0; run < kRuns; ++run)
    {
        FILE* file = std::fopen(path.c_str(), "rb");
        if (file == nullptr)
        {
            std::perror(path.c_str());
            std::exit(1);
        }
        const auto t0 = std::chrono::steady_clock::now();
        start();
        size_t got;
        while ((got = std::fread(piece.data(), 1, piece.size(), file)) > 0)
            feed(piece.data(), got);
        finish();
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        std::fclose(file);
        best = seconds < best ? seconds : best;
    }
    return best;
}
} // namespace

int main()
{
    char pathTemplate[] = "/tmp/digest_bench_XXXXXX";
    const int fd = mkstemp(pathTemplate);
    if (fd < 0)
    {
        std::perror("mkstemp");
        return 1;
    }
    const std::string path = pathTemplate;
    {
        FILE* file = fdopen(fd, "wb");
        std::vector<uint8_t> piece(kPieceBytes);
        uint32_t x = 2463534242u;
        for (size_t written = 0; written < kFileBytes; written += piece.size())
        {
            for (uint8_t& b : piece)
            {
                x ^= x << 13;
                x ^= x >> 17;
                x ^= x << 5;
                b = static_cast<uint8_t>(x);
            }
            std::fwrite(piece.data(), 1, piece.size(), file);
        }
        std::fclose(file);
    }
    const double megabytes = static_cast<double>(kFileBytes) / (1024.0 * 1024.0);

    CCrc32 crc;
    const double ourCrc = BestSeconds(
        path, [&](const uint8_t* p, size_t n) { crc.vUpdate(p, n); }, [&]() { crc = CCrc32(); }, []() {});
    uLong zcrc = 0;
    const double zlibCrc = BestSeconds(
        path, [&](const uint8_t* p, size_t n) { zcrc = crc32(zcrc, p, static_cast<uInt>(n)); },
        [&]() { zcrc = crc32(0L, Z_NULL, 0); }, []() {});

    CSha1 sha;
    const double ourSha = BestSeconds(
        path, [&](const uint8_t* p, size_t n) { sha.vUpdate(p, n); }, [&]() { sha = CSha1(); },
        [&]() { sha.vFinish(); });
    EVP_MD_CTX* ctx = EVP_MD_CTX_new();
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int digestLength = 0;
    const double sslSha = BestSeconds(
        path, [&](const uint8_t* p, size_t n) { EVP_DigestUpdate(ctx, p, n); },
        [&]() { EVP_DigestInit_ex(ctx, EVP_sha1(), nullptr); },
        [&]() { EVP_DigestFinal_ex(ctx, digest, &digestLength); });
    EVP_MD_CTX_free(ctx);
    std::remove(path.c_str());

    char sslText[41] = {};
    for (unsigned i = 0; i < 20 && i < digestLength; ++i)
        std::snprintf(sslText + 2 * i, 3, "%02X", digest[i]);
    std::printf("file: %.0f MB in %zu KB pieces (read from the page cache)\n", megabytes, kPieceBytes / 1024);
    std::printf("CCrc32:       %.3f s  %.0f MB/s  %s\n", ourCrc, megabytes / ourCrc, crc.GetText().c_str());
    std::printf("zlib crc32:   %.3f s  %.0f MB/s  %08lX\n", zlibCrc, megabytes / zlibCrc, zcrc);
    std::printf("ratio CCrc32/zlib throughput: %.2f\n", zlibCrc / ourCrc);
    std::printf("CSha1:        %.3f s  %.0f MB/s  %s\n", ourSha, megabytes / ourSha, sha.GetText().c_str());
    std::printf("OpenSSL SHA1: %.3f s  %.0f MB/s  %s\n", sslSha, megabytes / sslSha, sslText);
    std::printf("ratio CSha1/OpenSSL throughput: %.2f\n", sslSha / ourSha);
    return 0;
}
