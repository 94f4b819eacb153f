#include "bridge/FaultGuard.h"

#include <cstdint>

#ifdef _MSC_VER

bool CallGuarded(void (*step)(void*), void* context, DWORD& exceptionCode) {
    DWORD code = 0;
    __try {
        step(context);
    } __except (code = GetExceptionCode(), EXCEPTION_EXECUTE_HANDLER) {
        exceptionCode = code;
        return false;
    }
    exceptionCode = 0;
    return true;
}

#else

// The guard is one small function with its own unwind data: a frame pointer, a call, and an
// exception handler registered for its body. When the handler is asked about an exception
// nobody below it handled, it unwinds straight to the guard's landing point, which returns 1.
extern "C" int TavikGuardedCall(void (*step)(void*), void* context);
extern "C" char TavikGuardLanding[];

namespace {
thread_local DWORD t_exceptionCode = 0;
}  // namespace

extern "C" EXCEPTION_DISPOSITION TavikGuardHandler(EXCEPTION_RECORD* record, void* establisherFrame,
                                                   CONTEXT* /*context*/, DISPATCHER_CONTEXT* dispatch) {
    // Called again while an unwind passes through the guard: nothing to do then.
    if (record->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND)) return ExceptionContinueSearch;
    t_exceptionCode = record->ExceptionCode;
    RtlUnwindEx(/* TargetFrame */ establisherFrame,
                /* TargetIp */ TavikGuardLanding,
                /* ExceptionRecord */ record,
                /* ReturnValue */ reinterpret_cast<void*>(std::uintptr_t{1}),
                /* ContextRecord */ dispatch->ContextRecord,
                /* HistoryTable */ dispatch->HistoryTable);
    return ExceptionContinueSearch;  // RtlUnwindEx does not come back
}

// rcx: the step, rdx: its context. The landing point is reached with rbp restored by the unwind
// and rax holding the ReturnValue given to RtlUnwindEx.
asm(R"(
    .text
    .p2align 4
    .globl TavikGuardedCall
    .def TavikGuardedCall; .scl 2; .type 32; .endef
    .seh_proc TavikGuardedCall
TavikGuardedCall:
    pushq %rbp
    .seh_pushreg %rbp
    movq %rsp, %rbp
    .seh_setframe %rbp, 0
    subq $32, %rsp
    .seh_stackalloc 32
    .seh_endprologue
    .seh_handler TavikGuardHandler, @except
    movq %rcx, %rax
    movq %rdx, %rcx
    callq *%rax
    xorl %eax, %eax
    nop
    .globl TavikGuardLanding
TavikGuardLanding:
    leaq 0(%rbp), %rsp
    popq %rbp
    retq
    .seh_endproc
)");

bool CallGuarded(void (*step)(void*), void* context, DWORD& exceptionCode) {
    t_exceptionCode = 0;
    const int faulted = TavikGuardedCall(step, context);
    exceptionCode = faulted ? t_exceptionCode : 0;
    return !faulted;
}

#endif
