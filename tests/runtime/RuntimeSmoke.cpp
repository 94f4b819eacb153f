// The start-up code of our programs and DLLs: static constructors and destructors, exit
// functions of a DLL at unload, thread-safe local statics, thread-local storage, the stack probe,
// and C++ exceptions within a module and out of a DLL.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

std::vector<int> g_constructedAtStart{1, 2, 3};

std::atomic<int> g_initialisations{0};
int SlowOnce() {
    static const int value = [] {
        ++g_initialisations;
        Sleep(50);  // both threads arrive while the first one initialises
        return 42;
    }();
    return value;
}

thread_local int t_counter = 7;

int DeepFrame(int seed) {
    volatile char frame[64 * 1024];  // sixteen pages: the probe must grow the stack page by page
    frame[0] = static_cast<char>(seed);
    frame[sizeof frame - 1] = static_cast<char>(seed + 1);
    return frame[0] + frame[sizeof frame - 1];
}

template <typename T>
T Get(HMODULE module, const char* name) {
    return reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace

TEST(Runtime, RunsStaticConstructorsBeforeMain) { EXPECT_EQ(g_constructedAtStart.size(), 3u); }

TEST(Runtime, InitialisesALocalStaticOnceAcrossThreads) {
    int a = 0, b = 0;
    std::thread first([&] { a = SlowOnce(); });
    std::thread second([&] { b = SlowOnce(); });
    first.join();
    second.join();
    EXPECT_EQ(a, 42);
    EXPECT_EQ(b, 42);
    EXPECT_EQ(g_initialisations.load(), 1);
}

TEST(Runtime, GivesEachThreadItsOwnThreadLocals) {
    t_counter = 100;
    int seen = 0;
    std::thread([&] { seen = t_counter++; }).join();
    EXPECT_EQ(seen, 7);
    EXPECT_EQ(t_counter, 100);
}

TEST(Runtime, ProbesLargeStackFrames) { EXPECT_EQ(DeepFrame(3), 7); }

TEST(Runtime, CatchesExceptionsByBaseClass) {
    std::map<std::wstring, int> values{{L"a", 1}};
    try {
        values.at(L"missing");
        FAIL() << "no exception";
    } catch (const std::exception& e) {
        EXPECT_NE(std::string(e.what()), "");
    }
}

TEST(Runtime, DllRunsItsConstructorsAtLoadAndDestructorsAtUnload) {
    HMODULE dll = LoadLibraryW(L"runtime_smoke_dll.dll");
    ASSERT_NE(dll, nullptr) << GetLastError();
    EXPECT_STREQ(Get<const char* (*)()>(dll, "SmokeText")(), "constructed");
    int destroyed = 0;
    Get<void (*)(int*)>(dll, "SmokeOnUnload")(&destroyed);
    try {
        Get<void (*)(const char*)>(dll, "SmokeThrow")("from the DLL");
        ADD_FAILURE() << "no exception";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "from the DLL");
    }
    FreeLibrary(dll);
    EXPECT_EQ(destroyed, 1);
}
