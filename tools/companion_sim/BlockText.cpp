#include "tools/companion_sim/BlockText.h"

#include "host/Utf.h"

namespace companion_sim {

SongList ParseListFile(const std::string& utf8) {
    const std::wstring text = RawText(utf8);
    SongList list;
    bool first = true;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos) end = text.size();
        std::wstring line = text.substr(start, end - start);
        start = end + 1;
        while (!line.empty() && line.back() == L'\r') line.pop_back();
        if (line.empty()) continue;
        if (first && IsHeaderLine(line)) list.header = line;
        else list.songs.push_back(line);
        first = false;
    }
    return list;
}

bool IsHeaderLine(const std::wstring& line) {
    if (line.size() < 3 || line.front() != L'#' || line.back() != L'#') return false;
    for (std::size_t i = 1; i + 1 < line.size(); ++i)
        if (line[i] < L'0' || line[i] > L'9') return false;
    return true;
}

std::wstring GeneratedHeader(std::size_t count) { return L"#" + std::to_wstring(count) + L"#"; }

std::vector<std::wstring> Rotated(const std::vector<std::wstring>& songs, std::size_t turns) {
    if (songs.empty()) return songs;
    const std::size_t shift = turns % songs.size();
    std::vector<std::wstring> out(songs.begin() + static_cast<std::ptrdiff_t>(shift), songs.end());
    out.insert(out.end(), songs.begin(), songs.begin() + static_cast<std::ptrdiff_t>(shift));
    return out;
}

std::wstring ComposeText(const std::optional<std::wstring>& settingsLine, const SongList& list) {
    std::wstring text;
    if (settingsLine) {
        text = *settingsLine;
        if (text.empty() || text.back() != L'|') text += L'|';
    }
    text += list.header ? *list.header : GeneratedHeader(list.songs.size());
    for (const std::wstring& song : list.songs) text += L"\r\n" + song;
    return text;
}

std::vector<std::uint16_t> BlockImage(const std::wstring& text) {
    std::vector<std::uint16_t> units(kBlockUnits, 0);
    const std::size_t length = text.size() < kMaxTextUnits ? text.size() : kMaxTextUnits;
    for (std::size_t i = 0; i < length; ++i) units[i] = static_cast<std::uint16_t>(text[i]);
    return units;
}

std::vector<std::uint16_t> FilledImage(const std::wstring& text) {
    std::vector<std::uint16_t> units(kBlockUnits, L'X');
    if (text.empty()) return units;
    for (std::size_t i = 0; i < kBlockUnits; ++i) {
        const auto unit = static_cast<std::uint16_t>(text[i % text.size()]);
        units[i] = unit == 0 ? static_cast<std::uint16_t>(L' ') : unit;
    }
    return units;
}

std::wstring RawText(const std::string& utf8) {
    std::wstring text = Utf8ToUtf16(utf8);
    if (!text.empty() && text[0] == 0xFEFF) text.erase(0, 1);
    return text;
}

std::vector<std::uint16_t> ImageFor(const Options& options, const SongList& list, const std::wstring& rawText,
                                    std::size_t turns) {
    std::wstring text = rawText;
    if (options.rawFile.empty())
        text = ComposeText(options.settingsLine, {list.header, Rotated(list.songs, options.rotate ? turns : 0)});
    return options.fillNoNul ? FilledImage(text) : BlockImage(text);
}

}  // namespace companion_sim
