#include "plugin/Handles.h"

#include <cstring>

#include "host/HostApi.h"

unique_block::unique_block(std::size_t bytes) noexcept : block(MainAllocator->_Allocate(bytes)) {
    if (block) std::memset(block, 0, bytes);
}

unique_block::~unique_block() { MainAllocator->_Free(block); }
