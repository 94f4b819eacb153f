#pragma once
#include "host/Platform.h"

// The host's allocator, as the host library declares it. Every heap block a plugin owns comes
// from MainAllocator (_Allocate) and goes back to it (_Free).
class HOSTAPI Alloc {
public:
    virtual ~Alloc() {}
    // An uninitialised block of at least `size` bytes (a zero size gives a valid block), or null
    // when memory is exhausted.
    virtual void* _Allocate(std::size_t size) = 0;
    // The block grown or shrunk to `size` bytes, its contents kept; null `block` allocates.
    virtual void* _ReAllocate(LPVOID block, std::size_t size) = 0;
    // Gives a block back; null is ignored.
    virtual void _Free(LPVOID block) = 0;
    // Called when memory is exhausted where the caller cannot go on.
    virtual void ErrorTermination() = 0;
};

extern HOSTAPI Alloc* MainAllocator;
