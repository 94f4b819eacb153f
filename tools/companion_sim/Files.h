#pragma once
// Reading the simulator's input files and noticing when they change.

#include <cstdint>
#include <string>

#include "tools/companion_sim/Handles.h"

namespace companion_sim {

// Larger input files are refused: the block holds 1023 units, a list never needs megabytes.
inline constexpr std::uint64_t kMaxInputFileBytes = 1u << 20;

// Reads a whole file; false with an error text ("cannot read FILE: ...").
[[nodiscard]] bool ReadWholeFile(const std::wstring& path, std::string& bytes, std::wstring& error);

// A file's last-write time and size; two stamps differ when the file was changed.
struct FileStamp {
    std::uint64_t writeTime = 0;
    std::uint64_t size = 0;
    bool exists = false;
    bool operator==(const FileStamp& other) const {
        return writeTime == other.writeTime && size == other.size && exists == other.exists;
    }
    bool operator!=(const FileStamp& other) const { return !(*this == other); }
};
FileStamp StampOf(const std::wstring& path) noexcept;

}  // namespace companion_sim
