// CMsgBuffer: writes an association message (the records that CAssocParser reads):
// a reserved header, a length word, then one record per pair.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CMsgBuffer
{
public:
    static constexpr uint32_t kMaxMessageBytes = 64000; // header, length word, records and trailer
    static constexpr uint32_t kMaxHeaderBytes = 64;
    static constexpr uint32_t kErrDoesNotFit = 26005;
    enum EMode : int32_t
    {
        kText = 0,   // lengths as 4 upper-case hexadecimal digits, records end with '0'
        kBinary = 1, // lengths as little-endian 32-bit words, names and values end with 0
    };

    // header: bytes reserved before the length word (at most kMaxHeaderBytes);
    // trailer: bytes kept free after the records.
    CMsgBuffer(uint32_t header, uint32_t trailer, int32_t mode);

    // Appends name=value. valueLength: -1 no value, 0 the text length of value, else
    // that many bytes of value. False (message unchanged, error kErrDoesNotFit) when
    // the record does not fit.
    bool boAddPair(const std::string& name, const char* value, int32_t valueLength);
    bool boAddPair(const std::string& name, const std::string& value)
    {
        return boAddPair(name, value.data(), value.empty() ? -1 : static_cast<int32_t>(value.size()));
    }
    // Writes the length word in front of the records; the message size (header
    // included) is returned and Message() holds it.
    uint32_t ulFinish();

    // The whole message: header bytes (zeros), length word, records.
    const std::string& Message() const { return m_data; }
    uint32_t GetError() const { return m_error; }

private:
    uint32_t m_header;
    uint32_t m_capacity; // length word and records
    int32_t m_mode;
    uint32_t m_error = 0;
    std::string m_data;
};
