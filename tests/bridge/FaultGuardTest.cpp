#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>

#include "bridge/FaultGuard.h"

namespace {

void WriteAt(std::uintptr_t address) {
    volatile std::uintptr_t where = address;  // hidden from the optimiser
    *reinterpret_cast<volatile int*>(where) = 1;
}

void Fine(void* p) { *static_cast<int*>(p) = 42; }
void Fault(void*) { WriteAt(0x10); }
void FaultDeeper(void* p) {
    // GCC's catch (...) does not take structured exceptions: this one reaches the guard.
    try {
        Fault(p);
    } catch (...) {
        *static_cast<int*>(p) = -1;
    }
}
void Raise(void*) { RaiseException(0xE0434352, 0, 0, nullptr); }  // a runtime's own exception
void CaughtInside(void* p) {
    try {
        throw std::runtime_error("handled below the guard");
    } catch (const std::exception&) {
        *static_cast<int*>(p) = 5;
    }
}
void FaultHandledInside(void* p) {
    DWORD inner = 0;
    const bool returned = CallGuarded(Fault, nullptr, inner);
    *static_cast<int*>(p) = !returned && inner == EXCEPTION_ACCESS_VIOLATION ? 7 : -7;
}

TEST(FaultGuard, RunsTheStep) {
    int value = 0;
    DWORD code = 123;
    EXPECT_TRUE(CallGuarded(Fine, &value, code));
    EXPECT_EQ(value, 42);
    EXPECT_EQ(code, 0u);
}

TEST(FaultGuard, CatchesAnAccessFault) {
    struct Case {
        void (*step)(void*);
        DWORD code;
    } cases[] = {
        {Fault, EXCEPTION_ACCESS_VIOLATION},
        {FaultDeeper, EXCEPTION_ACCESS_VIOLATION},
        {Raise, 0xE0434352},
    };
    for (const Case& c : cases) {
        int value = 0;
        DWORD code = 0;
        EXPECT_FALSE(CallGuarded(c.step, &value, code));
        EXPECT_EQ(code, c.code);
        EXPECT_EQ(value, 0);
    }
}

TEST(FaultGuard, LeavesWhatTheStepHandlesItself) {
    int value = 0;
    DWORD code = 1;
    EXPECT_TRUE(CallGuarded(CaughtInside, &value, code));
    EXPECT_EQ(value, 5);
    EXPECT_TRUE(CallGuarded(FaultHandledInside, &value, code));
    EXPECT_EQ(value, 7);
    EXPECT_EQ(code, 0u);
}

TEST(FaultGuard, TheThreadGoesOnAfterManyFaults) {
    for (int i = 0; i < 500; ++i) {
        DWORD code = 0;
        ASSERT_FALSE(CallGuarded(Fault, nullptr, code)) << i;
        ASSERT_EQ(code, EXCEPTION_ACCESS_VIOLATION);
    }
    int value = 0;
    DWORD code = 0;
    EXPECT_TRUE(CallGuarded(Fine, &value, code));
    EXPECT_EQ(value, 42);
    EXPECT_THROW(throw std::runtime_error("C++ exceptions still work"), std::runtime_error);
}

}  // namespace
