// What Windows shows in the plugin DLL's file properties: its version resource, with the
// project's version in the numbers and the texts.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

#define TAVIK_WIDE_(text) L##text
#define TAVIK_WIDE(text) TAVIK_WIDE_(text)
constexpr const wchar_t* kVersion = TAVIK_WIDE(TAVIK_TEST_VERSION);  // the project's, e.g. "1.0.0"

class VersionResource : public testing::Test {
protected:
    void SetUp() override {
        const wchar_t* path = L"plugins\\TavikSongList.dll";
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeW(path, &ignored);
        ASSERT_NE(size, 0u) << GetLastError();
        data.resize(size);
        ASSERT_TRUE(GetFileVersionInfoW(path, 0, size, data.data())) << GetLastError();
    }
    std::wstring Text(const wchar_t* name) {
        void* value = nullptr;
        UINT length = 0;
        const std::wstring key = std::wstring(L"\\StringFileInfo\\080404b0\\") + name;
        if (!VerQueryValueW(data.data(), key.c_str(), &value, &length) || !value) return L"(none)";
        return static_cast<const wchar_t*>(value);
    }
    std::vector<unsigned char> data;
};

TEST_F(VersionResource, NamesTheProductAndItsVersion) {
    EXPECT_EQ(Text(L"ProductName"), L"Tavik直播点歌");
    EXPECT_EQ(Text(L"FileVersion"), kVersion);
    EXPECT_EQ(Text(L"ProductVersion"), kVersion);
    EXPECT_EQ(Text(L"OriginalFilename"), L"TavikSongList.dll");
    EXPECT_NE(Text(L"FileDescription"), L"(none)");
    EXPECT_NE(Text(L"FileDescription"), L"");
}

TEST_F(VersionResource, HoldsTheSameVersionInItsNumbers) {
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    const std::wstring numbers = std::to_wstring(HIWORD(fixed->dwFileVersionMS)) + L"." +
                                 std::to_wstring(LOWORD(fixed->dwFileVersionMS)) + L"." +
                                 std::to_wstring(HIWORD(fixed->dwFileVersionLS));
    EXPECT_EQ(numbers, kVersion);
    EXPECT_EQ(LOWORD(fixed->dwFileVersionLS), 0);
    EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
    EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DLL));
}

}  // namespace
