#include "HtmlMemBlock.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>

namespace
{
// Each block carries its size in a header in front of the data; the header
// keeps the data aligned for any type.
struct alignas(std::max_align_t) BlockHeader
{
    uint32_t size;
};

BlockHeader* HeaderOf(HtmlMemBlock block)
{
    return reinterpret_cast<BlockHeader*>(static_cast<char*>(block) - sizeof(BlockHeader));
}

bool InRange(HtmlMemBlock block, uint32_t offset, uint32_t count)
{
    const uint64_t size = MemBlockSize(block);
    return block != nullptr && uint64_t(offset) + count <= size;
}
} // namespace

HtmlMemBlock MemBlockAlloc(uint32_t /*flags*/, uint32_t size)
{
    void* raw = std::malloc(sizeof(BlockHeader) + size_t(size));
    if (raw == nullptr)
        return nullptr;
    auto* header = static_cast<BlockHeader*>(raw);
    header->size = size;
    return header + 1;
}

HtmlMemBlock MemBlockRealloc(HtmlMemBlock block, uint32_t size)
{
    if (block == nullptr)
        return MemBlockAlloc(0, size);
    void* raw = std::realloc(HeaderOf(block), sizeof(BlockHeader) + size_t(size));
    if (raw == nullptr)
        return nullptr;
    auto* header = static_cast<BlockHeader*>(raw);
    header->size = size;
    return header + 1;
}

HtmlMemBlock MemBlockFree(HtmlMemBlock block)
{
    if (block != nullptr)
        std::free(HeaderOf(block));
    return nullptr;
}

HtmlMemBlock MemBlockLock(HtmlMemBlock block)
{
    return block;
}

int32_t MemBlockUnlock(HtmlMemBlock /*block*/)
{
    return 1;
}

uint32_t MemBlockSize(HtmlMemBlock block)
{
    return block == nullptr ? 0 : HeaderOf(block)->size;
}

uint32_t MemBlockRead(HtmlMemBlock block, uint32_t offset, void* destination, uint32_t count)
{
    const uint32_t size = MemBlockSize(block);
    if (offset >= size || count == 0)
        return 0;
    const uint32_t n = count < size - offset ? count : size - offset;
    std::memcpy(destination, static_cast<const char*>(block) + offset, n);
    return n;
}

uint32_t MemBlockWrite(HtmlMemBlock block, uint32_t offset, const void* source, uint32_t count)
{
    const uint32_t size = MemBlockSize(block);
    if (offset >= size || count == 0)
        return 0;
    const uint32_t n = count < size - offset ? count : size - offset;
    std::memcpy(static_cast<char*>(block) + offset, source, n);
    return n;
}

int32_t MemBlockCopy(HtmlMemBlock source, uint32_t sourceOffset, HtmlMemBlock destination,
                     uint32_t destinationOffset, uint32_t count)
{
    if (count == 0)
        return 1;
    if (!InRange(source, sourceOffset, count) || !InRange(destination, destinationOffset, count))
        return 0;
    std::memmove(static_cast<char*>(destination) + destinationOffset,
                 static_cast<const char*>(source) + sourceOffset, count);
    return 1;
}
