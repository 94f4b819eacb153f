#pragma once
// What the simulator writes into the shared block: a song list read from a file or given as
// arguments, composed with an optional settings line into one text, and laid out as the block's
// 2048 bytes. UTF-16 units are held one per wchar_t (see host/Utf.h).

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "plugin/Constants.h"
#include "tools/companion_sim/Options.h"

namespace companion_sim {

// The block in UTF-16 units, and the longest text that leaves room for its NUL.
inline constexpr std::size_t kBlockUnits = names::kSharedBlockBytes / 2;
inline constexpr std::size_t kMaxTextUnits = kBlockUnits - 1;
static_assert(kBlockUnits == 1024, "the block is 2048 bytes of UTF-16 units");

struct SongList {
    std::optional<std::wstring> header;  // a header the list supplied itself, kept as written
    std::vector<std::wstring> songs;
};

// A list file (UTF-8): one song per line. A byte-order mark and line-end CRs are dropped and empty
// lines skipped; a first line that is a header ("#<digits>#") is kept as the list's header.
SongList ParseListFile(const std::string& utf8);

// True for "#<one or more decimal digits>#" and nothing else.
bool IsHeaderLine(const std::wstring& line);

// "#<count>#".
std::wstring GeneratedHeader(std::size_t count);

// The songs with the first `turns` of them (modulo their number) moved to the end.
std::vector<std::wstring> Rotated(const std::vector<std::wstring>& songs, std::size_t turns);

// The block's text: the settings line and "|" (unless the line already ends in "|"), then the
// header (the list's own or a generated one) and the songs, joined with CR LF, no CR LF at the end.
std::wstring ComposeText(const std::optional<std::wstring>& settingsLine, const SongList& list);

// The block's units: the text cut at kMaxTextUnits, then NUL up to the end. A cut may split a
// surrogate pair; the block holds exactly what the first 1023 units were.
std::vector<std::uint16_t> BlockImage(const std::wstring& text);

// The block's units with no NUL anywhere: the text repeated to the end, its NUL units turned into
// spaces; an empty text fills the block with 'X'.
std::vector<std::uint16_t> FilledImage(const std::wstring& text);

// The text of a UTF-8 file taken whole, without its byte-order mark.
std::wstring RawText(const std::string& utf8);

// The block's units for a run's options: the raw file's text when one is used, otherwise the
// composed text with the songs rotated `turns` times when --rotate asks for it; without any NUL
// when --fill-no-nul asks for that.
std::vector<std::uint16_t> ImageFor(const Options& options, const SongList& list, const std::wstring& rawText,
                                    std::size_t turns);

}  // namespace companion_sim
