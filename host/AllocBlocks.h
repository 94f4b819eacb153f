#pragma once
// Inside the host library only: what a block of the main allocator holds.
#include <cstddef>

// The size a block of MainAllocator was allocated with; 0 for null.
std::size_t HostBlockSize(const void* block) noexcept;
