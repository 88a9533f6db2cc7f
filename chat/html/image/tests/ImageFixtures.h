// The decoder fixtures of tests/fixtures and what Pillow read from them
// (expected.txt and the .idx files made by make-fixtures.py).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace FdHtmlTest
{
struct SFixture
{
    std::string name;
    int width = 0;
    int height = 0;
    int frames = 0;
    int transparent = -1;
    int delayMs = 0;
    int colours = 0;
};

// Full path of a fixture file (through Wine's Z: drive on Windows).
std::string strFixturePath(const std::string& name);
std::vector<uint8_t> readFile(const std::string& path);
// The manifest's lines; empty when it cannot be read.
std::vector<SFixture> fixtures();
} // namespace FdHtmlTest
