#include "companion/SharedBlock.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "companion/CompanionThread.h"
#include "companion/SharedBlockParser.h"
#include "plugin/Constants.h"
#include "plugin/Handles.h"
#include "plugin/PluginState.h"

bool ReadSharedBlock(XElement* settings, ImageSource* source) {
    // Opens the companion's block, or makes an empty one while the companion is not running.
    unique_handle mapping(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, names::kSharedBlockBytes,
                                             names::kSharedBlockName));
    if (!mapping) {
        std::printf(names::kMappingFailed, static_cast<int>(GetLastError()));
        return false;
    }
    unique_view view(MapViewOfFile(mapping.get(), FILE_MAP_ALL_ACCESS, 0, 0, names::kSharedBlockBytes));
    if (!view) {
        std::printf(names::kViewFailed, static_cast<int>(GetLastError()));
        return false;
    }

    // One copy of the text, taken unit by unit within the view's 2048 bytes; the companion may
    // be writing meanwhile, and only the copy is parsed.
    unique_block copyBuffer(2 * names::kSharedBlockBytes);
    if (!copyBuffer) return false;
    auto* copy = static_cast<wchar_t*>(copyBuffer.get());
    const auto* bytes = static_cast<const unsigned char*>(view.get());
    std::size_t count = 0;
    for (; count < block::kMaxTextUnits; ++count) {
        std::uint16_t unit;
        std::memcpy(&unit, bytes + 2 * count, sizeof unit);
        if (unit == 0) break;
        copy[count] = static_cast<wchar_t>(unit);
    }

    block::Content content;
    block::Parse(copy, count, content);
    const exclusive_lock hotkey(g_plugin.hotkeyLock);
    const int before = g_plugin.currentHotkeyCode;
    const bool applied = block::Apply(copy, content, settings, g_plugin.currentHotkeyCode, g_plugin.sharedText);
    // A new key is registered on the plugin's own thread: the host's hotkey calls take its hotkey
    // lock, which the host holds while it waits for this frame to end (stopping a recording).
    if (g_plugin.currentHotkeyCode != before) WishHotkey(g_plugin.currentHotkeyCode, reinterpret_cast<UPARAM>(source));
    return applied;
}
