// The socket connection handlers' platform-free parts: the ring buffer that
// carries received blocks from the reader thread to the window's thread, and
// the accumulator that cuts a byte stream into NUL-ended texts.
#pragma once

#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace ChatIrc
{

// Owned copies of received blocks. One slot always stays empty: a ring of
// capacity n holds n - 1 unread blocks and refuses the next.
class CCnxRing
{
public:
    static constexpr size_t kDefaultCapacity = 150;
    static constexpr size_t kMinCapacity = 2;

    explicit CCnxRing(size_t capacity = kDefaultCapacity);
    // False (the block dropped) when the ring is full.
    bool boPush(const char* data, size_t length);
    // The oldest block; false when empty.
    bool boPop(std::string& block);
    size_t uCount();
    size_t uCapacity() const { return m_slots.size(); }

private:
    std::mutex m_lock;
    std::vector<std::string> m_slots;
    size_t m_uWrite = 0;
    size_t m_uRead = 0;
    size_t m_uCount = 0;
};

// Bytes in, texts out: every NUL ends a text, handed over with its NUL.
class CTextAccumulator
{
public:
    using TextFn = std::function<void(const char* text, size_t lengthWithNul)>;
    void vFeed(const char* data, size_t length, const TextFn& onText);
    size_t uPending() const { return m_strText.size(); }

private:
    std::string m_strText;
};

} // namespace ChatIrc
