#pragma once
#include <windows.h>

// Runs `step(context)` inside __try { step(context); } __except (EXCEPTION_EXECUTE_HANDLER) {}.
// Any exception that leaves `step` unhandled (an access fault, a runtime's own exception, also a
// C++ exception) ends the step instead of the process; exceptions that code inside the step
// handles itself are never seen. Returns true when `step` returned normally, false with the
// exception code in `exceptionCode` otherwise.
//
// Objects on the step's frames may not see their destructors run when a fault ends it: give it
// none that need them, and catch C++ exceptions inside it.
//
// It never throws, yet is not declared noexcept: the compiler's terminate guard of a noexcept
// function would run before the __except handler is reached.
[[nodiscard]] bool CallGuarded(void (*step)(void*), void* context, DWORD& exceptionCode);
