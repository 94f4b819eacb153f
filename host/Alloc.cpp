#include "host/Alloc.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

#include "host/AllocBlocks.h"
#include "host/HostSide.h"

namespace {

// Each block carries its size in a header, so strings can reuse what they hold and the host can
// count what is live.
constexpr std::size_t kHeader = 16;  // keeps blocks 16-byte aligned

std::atomic<long> g_liveBlocks{0};
std::atomic<bool> g_failAllocations{false};

unsigned char* HeaderOf(void* block) { return static_cast<unsigned char*>(block) - kHeader; }

class CountingAllocator final : public Alloc {
public:
    void* _Allocate(std::size_t size) override {
        if (g_failAllocations || size > SIZE_MAX - kHeader) return nullptr;
        auto* raw = static_cast<unsigned char*>(std::malloc(kHeader + size));
        if (!raw) return nullptr;
        std::memcpy(raw, &size, sizeof size);
        ++g_liveBlocks;
        return raw + kHeader;
    }

    void* _ReAllocate(LPVOID block, std::size_t size) override {
        if (!block) return _Allocate(size);
        if (g_failAllocations || size > SIZE_MAX - kHeader) return nullptr;
        auto* raw = static_cast<unsigned char*>(std::realloc(HeaderOf(block), kHeader + size));
        if (!raw) return nullptr;
        std::memcpy(raw, &size, sizeof size);
        return raw + kHeader;
    }

    void _Free(LPVOID block) override {
        if (!block) return;
        --g_liveBlocks;
        std::free(HeaderOf(block));
    }

    void ErrorTermination() override { std::abort(); }
};

CountingAllocator g_mainAllocator;

}  // namespace

Alloc* MainAllocator = &g_mainAllocator;

std::size_t HostBlockSize(const void* block) noexcept {
    if (!block) return 0;
    std::size_t size;
    std::memcpy(&size, static_cast<const unsigned char*>(block) - kHeader, sizeof size);
    return size;
}

void HostFailAllocations(bool fail) { g_failAllocations = fail; }

long HostLiveBlocks() { return g_liveBlocks.load(); }
