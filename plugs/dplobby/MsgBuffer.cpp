#include "MsgBuffer.h"

#include <cstdio>
#include <cstring>

namespace
{
const uint32_t kLengthWordBytes = 4;

std::string Hex4(uint32_t value)
{
    char text[8];
    std::snprintf(text, sizeof text, "%04X", value & 0xFFFFu);
    return text;
}

void AppendWord(std::string& out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFFu));
}
} // namespace

CMsgBuffer::CMsgBuffer(uint32_t header, uint32_t trailer, int32_t mode)
    : m_header(header > kMaxHeaderBytes ? kMaxHeaderBytes : header), m_mode(mode)
{
    const uint32_t reserved = m_header + trailer;
    m_capacity = reserved < kMaxMessageBytes ? kMaxMessageBytes - reserved : 0;
    m_data.assign(m_header + kLengthWordBytes, '\0');
}

bool CMsgBuffer::boAddPair(const std::string& name, const char* value, int32_t valueLength)
{
    size_t length = 0;
    if (valueLength == 0 && value != nullptr)
        length = std::strlen(value);
    else if (valueLength > 0 && value != nullptr)
        length = static_cast<size_t>(valueLength);
    const size_t record = name.size() + length + 2; // after its own length field
    const size_t used = m_data.size() - m_header;
    // Text lengths have four hexadecimal digits; binary ones keep the name length in
    // one byte and the value length in three.
    const bool boRepresentable =
        m_mode == kText ? record <= 0xFFFF : name.size() + 1 <= 0xFF && length + 1 <= 0xFFFFFF;
    if (!boRepresentable || used + kLengthWordBytes + record > m_capacity)
    {
        m_error = kErrDoesNotFit;
        return false;
    }
    if (m_mode == kText)
    {
        m_data += Hex4(static_cast<uint32_t>(record));
        m_data += name;
        m_data += '=';
        m_data.append(value ? value : "", length);
        m_data += '0';
    }
    else
    {
        AppendWord(m_data,
                   (static_cast<uint32_t>(name.size() + 1) << 24) + static_cast<uint32_t>(length + 1));
        m_data += name;
        m_data += '\0';
        m_data.append(value ? value : "", length);
        m_data += '\0';
    }
    return true;
}

uint32_t CMsgBuffer::ulFinish()
{
    const uint32_t count = static_cast<uint32_t>(m_data.size() - m_header);
    std::string word;
    if (m_mode == kText)
        word = Hex4(count);
    else
        AppendWord(word, count | 0x80000000u);
    m_data.replace(m_header, kLengthWordBytes, word);
    return count + m_header;
}
