#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>

#include "bridge/FaultGuard.h"

namespace {

void Fine(void* p) { *static_cast<int*>(p) = 42; }
void Fault(void*) {
    volatile std::uintptr_t address = 0x10;  // hidden from the optimiser
    *reinterpret_cast<volatile int*>(address) = 1;
}
void FaultUnderCatchAll(void* p) {
    try {
        Fault(p);  // GCC's catch (...) does not take structured exceptions: this reaches the guard
    } catch (...) {
        *static_cast<int*>(p) = -1;
    }
}
void RuntimeException(void*) { RaiseException(0xE0434352, 0, 0, nullptr); }
void HandledBelow(void* p) {  // what a runtime handles itself is never seen by the guard
    try {
        throw std::runtime_error("handled");
    } catch (const std::exception&) {
        DWORD inner = 0;
        *static_cast<int*>(p) = !CallGuarded(Fault, nullptr, inner) && inner == EXCEPTION_ACCESS_VIOLATION ? 7 : -7;
    }
}

TEST(FaultGuard, CatchesWhatTheStepLeavesUnhandled) {
    struct Case {
        void (*step)(void*);
        bool returned;
        DWORD code;
        int value;
    } cases[] = {
        {Fine, true, 0, 42},
        {Fault, false, EXCEPTION_ACCESS_VIOLATION, 0},
        {FaultUnderCatchAll, false, EXCEPTION_ACCESS_VIOLATION, 0},
        {RuntimeException, false, 0xE0434352, 0},
        {HandledBelow, true, 0, 7},
    };
    for (const Case& c : cases) {
        int value = 0;
        DWORD code = 123;
        EXPECT_EQ(CallGuarded(c.step, &value, code), c.returned) << c.value;
        EXPECT_EQ(code, c.code) << c.value;
        EXPECT_EQ(value, c.value);
    }
    // The thread goes on as before, C++ exceptions included.
    for (int i = 0; i < 200; ++i) {
        DWORD code = 0;
        ASSERT_FALSE(CallGuarded(Fault, nullptr, code));
    }
    EXPECT_THROW(throw std::runtime_error("still works"), std::runtime_error);
}

}  // namespace
