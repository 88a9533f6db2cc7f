#pragma once
// A heap copy of test bytes with nothing after them, so the sanitizers catch any
// read past the end.
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

class CTestBuffer
{
public:
    explicit CTestBuffer(const std::string& bytes)
        : m_size(bytes.size()), m_data(new char[bytes.size() ? bytes.size() : 1])
    {
        if (!bytes.empty())
            std::memcpy(m_data.get(), bytes.data(), bytes.size());
    }
    const char* c() const { return m_data.get(); }
    const uint8_t* u() const { return reinterpret_cast<const uint8_t*>(m_data.get()); }
    size_t size() const { return m_size; }

private:
    size_t m_size;
    std::unique_ptr<char[]> m_data;
};
