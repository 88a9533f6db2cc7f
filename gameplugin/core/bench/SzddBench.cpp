// Throughput of CLzBuffer against the classic tools (mscompress, msexpand) on
// one large file, in one run. Not a test: prints the figures and their ratios.
//   gameplugin_szdd_bench [megabytes (64)] [work folder (/tmp)]
// Both sides go file to file: ours reads the file, converts it in memory and
// writes the result, as iLzFileOp does; the tools run as programs. Both expand
// the same file (the one mscompress made) and compress the same input.
#include "LzBuffer.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace
{
using Clock = std::chrono::steady_clock;

std::vector<uint8_t> makeData(size_t n)
{
    static const char* words[] = {"plug-in ",        "composant ", "Orbelle ",
                                  "telechargement ", "\r\n",       "version 2.1.0.5 "};
    std::mt19937 rng(20261208);
    std::vector<uint8_t> out;
    out.reserve(n);
    while (out.size() < n)
    {
        const size_t chunk = 100 + rng() % 20000;
        switch (rng() % 4)
        {
        case 0: // random bytes
            for (size_t i = 0; i < chunk; ++i)
                out.push_back(static_cast<uint8_t>(rng()));
            break;
        case 1: // runs
            for (size_t i = 0; i < chunk;)
            {
                const uint8_t b = static_cast<uint8_t>(rng());
                for (size_t k = 1 + rng() % 300; k > 0 && i < chunk; --k, ++i)
                    out.push_back(b);
            }
            break;
        default: // text
            for (size_t i = 0; i < chunk;)
            {
                for (const char* p = words[rng() % 6]; *p; ++p, ++i)
                    out.push_back(static_cast<uint8_t>(*p));
            }
            break;
        }
    }
    out.resize(n);
    return out;
}

std::vector<uint8_t> readFile(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

void writeFile(const std::string& path, const uint8_t* data, size_t n)
{
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(n));
}

double seconds(Clock::time_point t0)
{
    return std::chrono::duration<double>(Clock::now() - t0).count();
}

double runTool(const std::string& command)
{
    const auto t0 = Clock::now();
    if (std::system(command.c_str()) != 0)
    {
        std::fprintf(stderr, "failed: %s\n", command.c_str());
        std::exit(1);
    }
    return seconds(t0);
}
} // namespace

int main(int argc, char** argv)
{
    const size_t megabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 64;
    const std::string dir = std::string(argc > 2 ? argv[2] : "/tmp") + "/fd-szdd-bench";
    const size_t n = megabytes * 1024 * 1024;
    std::system(("rm -rf '" + dir + "' && mkdir -p '" + dir + "'").c_str());
    const std::string input = dir + "/data";
    {
        const std::vector<uint8_t> data = makeData(n);
        writeFile(input, data.data(), data.size());
    }

    // Compression, same input.
    auto t0 = Clock::now();
    {
        const std::vector<uint8_t> in = readFile(input);
        CLzBuffer lz;
        if (!lz.boCompress(in.data(), static_cast<uint32_t>(in.size()), true))
            return 1;
        writeFile(dir + "/data.fd", lz.lpGetData(), lz.dwGetSize());
    }
    const double oursCompress = seconds(t0);
    const double toolCompress = runTool("cd '" + dir + "' && mscompress data");

    // Expansion, same file: the one mscompress made.
    t0 = Clock::now();
    {
        const std::vector<uint8_t> in = readFile(dir + "/data_");
        CLzBuffer lz;
        if (!lz.boExpand(in.data(), static_cast<uint32_t>(in.size())))
            return 1;
        writeFile(dir + "/data.ours", lz.lpGetData(), lz.dwGetSize());
    }
    const double oursExpand = seconds(t0);
    const double toolExpand = runTool("msexpand < '" + dir + "/data_' > '" + dir + "/data.tool'");
    // Both expansions must give the input back (runTool stops the run otherwise).
    runTool("cmp -s '" + input + "' '" + dir + "/data.ours' && cmp -s '" + input + "' '" + dir +
            "/data.tool'");

    const double mb = static_cast<double>(n) / (1024.0 * 1024.0);
    const double oursSize = static_cast<double>(readFile(dir + "/data.fd").size());
    const double toolSize = static_cast<double>(readFile(dir + "/data_").size());
    std::printf("SZDD benchmark on %.0f MB (compressed: CLzBuffer %.1f%%, mscompress %.1f%% of the input)\n",
                mb, 100.0 * oursSize / static_cast<double>(n), 100.0 * toolSize / static_cast<double>(n));
    std::printf("%-12s %14s %14s %8s\n", "", "CLzBuffer", "classic tool", "tool time / ours");
    std::printf("%-12s %10.1f MB/s %10.1f MB/s %7.1fx\n", "compression", mb / oursCompress, mb / toolCompress,
                toolCompress / oursCompress);
    std::printf("%-12s %10.1f MB/s %10.1f MB/s %7.1fx\n", "expansion", mb / oursExpand, mb / toolExpand,
                toolExpand / oursExpand);
    std::system(("rm -rf '" + dir + "'").c_str());
    return 0;
}
