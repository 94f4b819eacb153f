#include "tools/companion_sim/Files.h"

namespace companion_sim {

bool ReadWholeFile(const std::wstring& path, std::string& bytes, std::wstring& error) {
    auto fail = [&](const std::wstring& why) {
        error = L"cannot read " + path + L": " + why;
        return false;
    };
    UniqueFile file(CreateFileW(path.c_str(),
                                /* dwDesiredAccess */ GENERIC_READ,
                                /* dwShareMode */ FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                /* lpSecurityAttributes */ nullptr,
                                /* dwCreationDisposition */ OPEN_EXISTING,
                                /* dwFlagsAndAttributes */ FILE_ATTRIBUTE_NORMAL,
                                /* hTemplateFile */ nullptr));
    if (!file) return fail(L"error " + std::to_wstring(GetLastError()));
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size)) return fail(L"error " + std::to_wstring(GetLastError()));
    if (static_cast<std::uint64_t>(size.QuadPart) > kMaxInputFileBytes) return fail(L"larger than 1 MiB");
    std::string read(static_cast<std::size_t>(size.QuadPart), '\0');
    DWORD got = 0;
    if (!read.empty() && !ReadFile(file.get(), &read[0], static_cast<DWORD>(read.size()), &got, nullptr))
        return fail(L"error " + std::to_wstring(GetLastError()));
    read.resize(got);
    bytes = std::move(read);
    return true;
}

FileStamp StampOf(const std::wstring& path) noexcept {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return {};
    return {
        .writeTime = (std::uint64_t(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime,
        .size = (std::uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow,
        .exists = true,
    };
}

}  // namespace companion_sim
