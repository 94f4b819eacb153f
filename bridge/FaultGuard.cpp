#include "bridge/FaultGuard.h"

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
