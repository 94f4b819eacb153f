// The start-up code of our programs and DLLs: static constructors and destructors, exit
// functions of a DLL at unload, thread-safe local statics, thread-local storage, the stack probe,
// and C++ exceptions within a module and out of a DLL; a DLL's on both C runtimes.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <iterator>
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

// The smoke DLL on each C runtime: the Universal CRT, and Windows' own msvcrt.dll as the plugin.
class RuntimeDll : public testing::TestWithParam<const wchar_t*> {
protected:
    void SetUp() override {
        dll = LoadLibraryW(GetParam());
        ASSERT_NE(dll, nullptr) << GetLastError();
    }
    void TearDown() override {
        if (dll) FreeLibrary(dll);
    }
    template <typename T>
    T Export(const char* name) {
        auto function = Get<T>(dll, name);
        EXPECT_NE(function, nullptr) << name;
        return function;
    }
    HMODULE dll = nullptr;
};

TEST_P(RuntimeDll, RunsItsConstructorsAtLoadAndDestructorsAtUnload) {
    EXPECT_STREQ(Export<const char* (*)()>("SmokeText")(), "constructed");
    int destroyed = 0;
    int localDestroyed = 0;
    Export<void (*)(int*)>("SmokeOnUnload")(&destroyed);
    Export<void (*)(int*)>("SmokeLocalStatic")(&localDestroyed);
    try {
        Export<void (*)(const char*)>("SmokeThrow")("from the DLL");
        ADD_FAILURE() << "no exception";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "from the DLL");
    }
    FreeLibrary(dll);
    dll = nullptr;
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(localDestroyed, 1);
}

TEST_P(RuntimeDll, CatchesCxxExceptionsInside) {
    const char* failure = Export<const char* (*)()>("SmokeExceptions")();
    EXPECT_EQ(failure, nullptr) << failure;
}

TEST_P(RuntimeDll, HandlesStructuredExceptionsInside) {
    const char* failure = Export<const char* (*)()>("SmokeStructuredExceptions")();
    EXPECT_EQ(failure, nullptr) << failure;
}

// snprintf of "%s %d" with "abc" and 12 (six characters), as the C standard has it: the whole
// length returned, at most size - 1 characters and the terminator written.
TEST_P(RuntimeDll, FormatsAsTheStandardSays) {
    struct Case {
        std::size_t size;
        const char* text;  // null: the buffer is not touched
    };
    const Case cases[] = {{16, "abc 12"}, {7, "abc 12"}, {6, "abc 1"}, {4, "abc"}, {1, ""}, {0, nullptr}};
    auto format = Export<int (*)(char*, std::size_t)>("SmokeFormat");
    for (const Case& c : cases) {
        char buffer[16];
        std::fill(std::begin(buffer), std::end(buffer), '#');
        EXPECT_EQ(format(buffer, c.size), 6) << c.size;
        if (c.text) {
            EXPECT_STREQ(buffer, c.text) << c.size;
        } else {
            EXPECT_EQ(buffer[0], '#');
        }
    }
    EXPECT_EQ(Export<int (*)()>("SmokePrint")(), 8);
}

INSTANTIATE_TEST_SUITE_P(CRuntimes, RuntimeDll,
                         testing::Values(L"runtime_smoke_dll.dll", L"runtime_smoke_dll_msvcrt.dll"),
                         [](const testing::TestParamInfo<const wchar_t*>& info) {
                             return info.index == 0 ? std::string("UniversalCrt") : std::string("Msvcrt");
                         });
