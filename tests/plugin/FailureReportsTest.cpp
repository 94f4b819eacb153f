#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <stdexcept>
#include <string>

#include "host/HostSide.h"
#include "plugin/FailureReports.h"

namespace {

// Runs `work` as the host boundary does: whatever it throws is caught and reported.
void Call(FailureReports& reports, HostCall call, const std::function<void()>& work) {
    try {
        work();
        reports.Succeeded(call);
    } catch (...) {
        reports.Failed(call);
    }
}

std::wstring LastLine() { return HostLogLineCount() ? HostGetLogLine(HostLogLineCount() - 1) : L"(none)"; }

struct NotAStdException {};

TEST(FailureReports, NameTheCallAndWhatWasCaught) {
    HostSetLogEcho(false);
    struct Case {
        HostCall call;
        std::function<void()> work;
        std::wstring line;
    } cases[] = {
        {HostCall::RefreshFrame, [] { throw std::bad_alloc(); },
         L"Warning -- MorvathThanksImage::RefreshFrame failed: std::bad_alloc"},
        {HostCall::ActivateSource, [] { throw std::runtime_error("no window"); },
         L"Warning -- MorvathThanksImage::ActivateSource failed: no window"},
        {HostCall::DeactivateSource, [] { throw 42; }, L"Warning -- MorvathThanksImage::DeactivateSource failed: unknown exception"},
        {HostCall::CreateSource, [] { throw NotAStdException(); }, L"Warning -- CreateSongListSource failed: unknown exception"},
        {HostCall::ConfigureSource, [] { throw std::length_error("100% \xe5\xae\x8b\n"); },
         L"Warning -- ConfigureSongListSource failed: 100% ????"},  // taken literally, ASCII only
        {HostCall::LoadPlugin, [] { throw std::runtime_error(std::string(400, 'x')); },
         L"Warning -- LoadPlugin failed: " + std::wstring(255, L'x')},
    };
    for (const Case& c : cases) {
        HostClearLog();
        FailureReports reports;
        Call(reports, c.call, c.work);
        ASSERT_EQ(HostLogLineCount(), 1u);
        EXPECT_EQ(LastLine(), c.line);
    }
}

TEST(FailureReports, OncePerCallUntilItSucceedsAgain) {
    HostSetLogEcho(false);
    HostClearLog();
    FailureReports source, other;
    const auto fails = [] { throw std::bad_alloc(); };
    const auto runs = [] {};
    for (int frame = 0; frame < 100; ++frame) Call(source, HostCall::RefreshFrame, fails);
    EXPECT_EQ(HostLogLineCount(), 1u);
    Call(source, HostCall::DeactivateSource, fails);  // another call of the same source
    Call(other, HostCall::RefreshFrame, fails);       // the same call of another source
    EXPECT_EQ(HostLogLineCount(), 3u);
    Call(source, HostCall::RefreshFrame, runs);
    EXPECT_FALSE(source.IsReported(HostCall::RefreshFrame));
    EXPECT_TRUE(source.IsReported(HostCall::DeactivateSource));
    Call(source, HostCall::RefreshFrame, fails);  // failing again after a success is said again
    Call(source, HostCall::DeactivateSource, fails);
    EXPECT_EQ(HostLogLineCount(), 4u);
    EXPECT_EQ(LastLine(), L"Warning -- MorvathThanksImage::RefreshFrame failed: std::bad_alloc");
}

TEST(FailureReports, ReportsRunningOutOfHostMemory) {
    HostSetLogEcho(false);
    HostClearLog();
    FailureReports reports;
    HostFailAllocations(true);
    Call(reports, HostCall::RefreshFrame, [] { String text(L"needs a block"); });
    HostFailAllocations(false);
    EXPECT_EQ(LastLine(), L"Warning -- MorvathThanksImage::RefreshFrame failed: std::bad_alloc");
}

}  // namespace
