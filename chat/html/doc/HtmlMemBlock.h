// Memory blocks: the heap blocks in which source text and element contents
// travel between the parser, the elements and the document's handler. A block
// is addressed by its handle (the data pointer) and knows its own size; its
// contents are never zero-terminated.
#pragma once

#include <cstdint>

using HtmlMemBlock = void*;

// A new block of size bytes, or 0 when it can't be allocated (flags ignored).
HtmlMemBlock MemBlockAlloc(uint32_t flags, uint32_t size);
// A block of the new size keeping the first bytes, or 0 (the old block stays then).
HtmlMemBlock MemBlockRealloc(HtmlMemBlock block, uint32_t size);
// Frees the block (0 is allowed); always 0, so `b = MemBlockFree(b)` clears the handle.
HtmlMemBlock MemBlockFree(HtmlMemBlock block);
HtmlMemBlock MemBlockLock(HtmlMemBlock block);
int32_t MemBlockUnlock(HtmlMemBlock block);
// Allocated size; 0 for the null handle.
uint32_t MemBlockSize(HtmlMemBlock block);
// Copy min(size - offset, count) bytes; an offset at or past the size copies nothing.
uint32_t MemBlockRead(HtmlMemBlock block, uint32_t offset, void* destination, uint32_t count);
uint32_t MemBlockWrite(HtmlMemBlock block, uint32_t offset, const void* source, uint32_t count);
// Copies count bytes between blocks: 1, or 0 with nothing copied when either
// range leaves its block.
int32_t MemBlockCopy(HtmlMemBlock source, uint32_t sourceOffset, HtmlMemBlock destination,
                     uint32_t destinationOffset, uint32_t count);
// The block's bytes (the handle itself), for readers that have checked the size.
inline const char* MemBlockBytes(HtmlMemBlock block)
{
    return static_cast<const char*>(block);
}
