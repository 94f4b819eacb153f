#include "host/Alloc.h"

#include <atomic>
#include <cstdlib>

namespace {
std::atomic<long> g_liveBlocks{0};
Alloc g_mainAllocator;
}  // namespace

Alloc* MainAllocator = &g_mainAllocator;

Alloc::~Alloc() = default;

void* Alloc::Allocate(std::size_t size) noexcept {
    void* block = std::malloc(size ? size : 1);
    if (block) ++g_liveBlocks;
    return block;
}

void Alloc::Free(void* block) noexcept {
    if (!block) return;
    --g_liveBlocks;
    std::free(block);
}

long Alloc::LiveBlocks() const noexcept { return g_liveBlocks.load(); }
