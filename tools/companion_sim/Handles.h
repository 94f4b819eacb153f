#pragma once
// Owners for the kernel handles and the mapped view the simulator holds. What counts as "no
// handle" is part of the type: CreateFileW fails with INVALID_HANDLE_VALUE, the rest with NULL.

#ifndef NOMINMAX
#  define NOMINMAX
#endif
#include <windows.h>

#include <memory>
#include <utility>

namespace companion_sim {

struct NullIsNone {
    static HANDLE None() noexcept { return nullptr; }
};
struct MinusOneIsNone {
    static HANDLE None() noexcept { return INVALID_HANDLE_VALUE; }
};

template <typename Policy>
class OwnedHandle {
public:
    OwnedHandle() noexcept = default;
    explicit OwnedHandle(HANDLE owned) noexcept : handle(owned) {}
    ~OwnedHandle() { reset(); }
    OwnedHandle(OwnedHandle&& other) noexcept : handle(other.release()) {}
    OwnedHandle& operator=(OwnedHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;

    HANDLE get() const noexcept { return handle; }
    explicit operator bool() const noexcept { return handle != Policy::None(); }
    [[nodiscard]] HANDLE release() noexcept { return std::exchange(handle, Policy::None()); }
    // Closes the handle held (unless it is the one given) and takes `owned`.
    void reset(HANDLE owned = Policy::None()) noexcept {
        HANDLE old = std::exchange(handle, owned);
        if (old != Policy::None() && old != owned) CloseHandle(old);
    }

private:
    HANDLE handle = Policy::None();
};

using UniqueHandle = OwnedHandle<NullIsNone>;   // events, processes, threads, mappings
using UniqueFile = OwnedHandle<MinusOneIsNone>;  // CreateFileW

struct UnmapView {
    void operator()(void* view) const noexcept { UnmapViewOfFile(view); }
};
using UniqueView = std::unique_ptr<void, UnmapView>;

}  // namespace companion_sim
