#pragma once
// Holds the named block the plugin reads every frame, for as long as the simulator runs, and
// writes whole 2048-byte images into it.

#include <cstdint>
#include <vector>

#include "tools/companion_sim/Handles.h"

namespace companion_sim {

class BlockOwner {
public:
    // Creates the block, or opens it when someone (a reader, another companion) has it already;
    // maps all of it. Returns 0 or the system error code.
    [[nodiscard]] DWORD Open() noexcept;
    bool Existed() const noexcept { return existed; }
    // Copies the image (exactly the block's units) into the block. A reader copying at the same
    // moment may see half of it; the next read sees it whole, as with the companion itself.
    void Write(const std::vector<std::uint16_t>& image) noexcept;

private:
    UniqueHandle mapping;
    UniqueView view;
    bool existed = false;
};

}  // namespace companion_sim
