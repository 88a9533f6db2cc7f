// Digests of file contents as the detection scripts write them: the reflected CRC-32
// and SHA-1, fed in pieces so that a file is streamed, never held whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class CCrc32
{
public:
    // The processor's carry-less multiplication folds long runs when it has it,
    // unless boPortableOnly asks for the tables alone (both give the same value).
    explicit CCrc32(bool boPortableOnly = false);
    bool boUsesProcessorFolding() const { return m_boProcessorFolding; }
    void vUpdate(const uint8_t* data, size_t size);
    uint32_t GetValue() const { return m_nState ^ 0xFFFFFFFFu; }
    // Eight upper-case hex digits.
    std::string GetText() const;

private:
    uint32_t m_nState = 0xFFFFFFFFu;
    bool m_boProcessorFolding = false;
};

class CSha1
{
public:
    // The processor's SHA instructions are used when it has them, unless
    // boPortableOnly asks for the plain rounds (both give the same digest).
    explicit CSha1(bool boPortableOnly = false);
    // True when this object hashes with the processor's SHA instructions.
    bool boUsesProcessorRounds() const { return m_boProcessorRounds; }
    void vUpdate(const uint8_t* data, size_t size);
    // Pads and ends the digest; further updates are ignored. Called again it gives
    // the same words.
    void vFinish();
    const uint32_t* GetWords() const { return m_words; } // five words, after vFinish
    // The five words as eight upper-case hex digits each (40 digits); finishes first.
    std::string GetText();

private:
    // count blocks of 64 bytes.
    void vBlocks(const uint8_t* blocks, size_t count);

    uint32_t m_words[5];
    uint8_t m_block[64];
    size_t m_nBlockUsed = 0;
    uint64_t m_nTotalBytes = 0;
    bool m_boFinished = false;
    bool m_boProcessorRounds = false;
};
