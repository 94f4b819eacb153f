#include "host/Alloc.h"
#include "host/HostSide.h"

#include <atomic>
#include <cstdlib>

namespace {
std::atomic<long> g_liveBlocks{0};
std::atomic<bool> g_failAllocations{false};
Alloc g_mainAllocator;
}  // namespace

Alloc* MainAllocator = &g_mainAllocator;

Alloc::~Alloc() = default;

void HostFailAllocations(bool fail) { g_failAllocations = fail; }

void* Alloc::Allocate(std::size_t size) noexcept {
    if (g_failAllocations) return nullptr;
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

long HostLiveBlocks() { return g_liveBlocks.load(); }
