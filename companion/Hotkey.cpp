#include "companion/Hotkey.h"

void Reconcile(const HotkeyWish& wish, HotkeyRegistration& registration, OBSHOTKEYPROC proc) {
    if (wish.code == registration.code && wish.round == registration.round) return;
    if (registration.id != 0) {
        OBSDeleteHotkey(registration.id);
        registration.id = 0;
    }
    registration.code = wish.code;
    registration.round = wish.round;
    if (wish.code != 0) registration.id = OBSCreateHotkey(static_cast<DWORD>(wish.code), proc, wish.param);
}
