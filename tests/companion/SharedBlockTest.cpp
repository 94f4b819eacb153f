#include <fcntl.h>
#include <gtest/gtest.h>
#include <io.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

#include "companion/SharedBlock.h"
#include "host/HostSide.h"
#include "plugin/Constants.h"
#include "plugin/PluginState.h"
#include "tests/support/Companion.h"
#include "plugin/HostText.h"
#include "tests/support/Launches.h"

namespace {

// Captures what the process writes on standard output during one call.
std::string CaptureStdout(const std::function<void()>& action) {
    std::fflush(stdout);
    const int saved = _dup(1);
    FILE* file = std::tmpfile();
    _dup2(_fileno(file), 1);
    action();
    std::fflush(stdout);
    _dup2(saved, 1);
    _close(saved);
    std::string out;
    std::rewind(file);
    char buffer[256];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) out.append(buffer, got);
    std::fclose(file);
    return out;
}

class SharedBlockReader : public testing::Test {
protected:
    void SetUp() override {
        g_plugin.sharedText = L"old";
        ForgetHotkey();
        ASSERT_TRUE(SettleLaunches());
    }
    void TearDown() override {
        ForgetHotkey();
        EXPECT_TRUE(SettleLaunches());
        g_plugin.sharedText.Clear();
    }
    std::wstring Shared() const { return std::wstring(TextOf(g_plugin.sharedText), g_plugin.sharedText.Length()); }
    XConfig config;
};

TEST_F(SharedBlockReader, CompanionNotRunningChangesNothing) {
    EXPECT_FALSE(ReadSharedBlock(config.GetRootElement(), nullptr));
    EXPECT_EQ(Shared(), L"old");
    EXPECT_EQ(config.GetRootElement()->NumDataItems(), 0u);
}

TEST_F(SharedBlockReader, ReadsWhatTheCompanionWrote) {
    CompanionBlock block;
    ASSERT_TRUE(block.Ok());
    block.Write(L"Set|宋体|42|-28672|100|-16777216|0|0|0|0|0|2|-16777216|100|65|#2#\r\n晴天 - 周杰伦\r\nYesterday");
    int marker = 0;
    ImageSource* source = reinterpret_cast<ImageSource*>(&marker);
    EXPECT_TRUE(ReadSharedBlock(config.GetRootElement(), source));
    EXPECT_EQ(Shared(), L"晴天 - 周杰伦\r\nYesterday\r\n");
    EXPECT_STREQ(config.GetRootElement()->GetString(L"font"), L"宋体");
    EXPECT_EQ(config.GetRootElement()->GetInt(L"hotkey", 0), 65);
    ASSERT_TRUE(SettleLaunches());  // the key is registered on the plugin's own thread
    ASSERT_NE(g_plugin.hotkeyId, 0u);
    EXPECT_EQ(HostHotkeyKey(g_plugin.hotkeyId), 65u);
    // The hotkey is registered with the source as its parameter: its release reaches the relay.
    EXPECT_EQ(HostDeliverHotkey(65, false), 1u);

    block.Write(L"");  // the companion cleared the block: the last text stays
    EXPECT_FALSE(ReadSharedBlock(config.GetRootElement(), source));
    EXPECT_EQ(Shared(), L"晴天 - 周杰伦\r\nYesterday\r\n");
}

TEST_F(SharedBlockReader, NeverReadsPastTheBlock) {
    CompanionBlock block;
    // 2048 bytes without a NUL: the text is taken up to 1023 units; the 1024th unit, a line of
    // its own here, is not read.
    std::wstring text = L"#1#\n" + std::wstring(1018, L'a') + L"\nb";
    ASSERT_EQ(text.size(), 1024u);
    block.Write(text);
    EXPECT_FALSE(ReadSharedBlock(config.GetRootElement(), nullptr));
    EXPECT_EQ(Shared(), std::wstring(1018, L'a') + L"\r\n");
}

TEST_F(SharedBlockReader, ReportsABlockItCannotReach) {
    // Another kind of object holds the name: the mapping cannot be made.
    HANDLE squatter = CreateEventW(nullptr, TRUE, FALSE, names::kSharedBlockName);
    ASSERT_NE(squatter, nullptr);
    bool result = true;
    std::string out = CaptureStdout([&] { result = ReadSharedBlock(config.GetRootElement(), nullptr); });
    CloseHandle(squatter);
    EXPECT_FALSE(result);
    EXPECT_EQ(out.rfind("Could not create file mapping object (", 0), 0u) << out;
    EXPECT_EQ(out.back(), '\n');
    EXPECT_EQ(Shared(), L"old");

    // (A view that cannot be mapped takes the same way out with "Could not map view of file";
    // Wine maps any view of an existing block, so that branch is not provoked here.)
}

TEST_F(SharedBlockReader, ReturnsEveryBlockItTakes) {
    CompanionBlock block;
    block.Write(L"#1#\r\nline");
    ReadSharedBlock(config.GetRootElement(), nullptr);  // the first call sizes sharedText's storage
    const long before = HostLiveBlocks();
    for (int i = 0; i < 50; ++i) ReadSharedBlock(config.GetRootElement(), nullptr);
    EXPECT_EQ(HostLiveBlocks(), before);
}

}  // namespace
