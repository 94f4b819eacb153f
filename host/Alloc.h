#pragma once
#include "host/Platform.h"

// The host's allocator. Every heap block a plugin owns comes from MainAllocator; the allocator
// counts live blocks so a test can prove that every block was given back.
class HOSTAPI Alloc {
public:
    virtual ~Alloc();
    // Returns an uninitialised block of at least `size` bytes (a zero size gives a valid block),
    // or null when memory is exhausted.
    virtual void* Allocate(std::size_t size) noexcept;
    // Gives a block back; null is ignored.
    virtual void Free(void* block) noexcept;

    // Blocks handed out and not yet freed.
    long LiveBlocks() const noexcept;
};

extern HOSTAPI Alloc* MainAllocator;
