#include "tools/companion_sim/BlockOwner.h"

#include <cstring>

#include "plugin/Constants.h"
#include "tools/companion_sim/BlockText.h"

namespace companion_sim {

DWORD BlockOwner::Open() noexcept {
    UniqueHandle created(CreateFileMappingW(/* hFile */ INVALID_HANDLE_VALUE,  // the paging file
                                            /* lpFileMappingAttributes */ nullptr,
                                            /* flProtect */ PAGE_READWRITE,
                                            /* dwMaximumSizeHigh */ 0,
                                            /* dwMaximumSizeLow */ names::kSharedBlockBytes,
                                            /* lpName */ names::kSharedBlockName));
    if (!created) return GetLastError();
    const bool wasThere = GetLastError() == ERROR_ALREADY_EXISTS;
    UniqueView mapped(MapViewOfFile(created.get(), FILE_MAP_ALL_ACCESS, 0, 0, names::kSharedBlockBytes));
    if (!mapped) return GetLastError();
    mapping = std::move(created);
    view = std::move(mapped);
    existed = wasThere;
    return 0;
}

void BlockOwner::Write(const std::vector<std::uint16_t>& image) noexcept {
    if (!view || image.size() != kBlockUnits) return;
    std::memcpy(view.get(), image.data(), names::kSharedBlockBytes);
}

}  // namespace companion_sim
