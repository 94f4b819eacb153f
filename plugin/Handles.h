#pragma once
// Owners for system handles and GDI+ objects: one line per type, the closing function part of
// the type, move-only, and what counts as "no handle" decided by a policy.
#include <windows.h>

#include <utility>

template <typename Policy>
class unique_res {
public:
    using value_type = typename Policy::type;

    unique_res() noexcept = default;
    explicit unique_res(value_type v) noexcept : value(v) {}
    ~unique_res() { reset(); }
    unique_res(const unique_res&) = delete;
    unique_res& operator=(const unique_res&) = delete;
    unique_res(unique_res&& other) noexcept : value(other.release()) {}
    unique_res& operator=(unique_res&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }

    [[nodiscard]] value_type get() const noexcept { return value; }
    explicit operator bool() const noexcept { return !Policy::is_empty(value); }
    [[nodiscard]] value_type release() noexcept { return std::exchange(value, Policy::empty()); }
    // Closes what is held (if anything) and takes `v`.
    void reset(value_type v = Policy::empty()) noexcept {
        value_type old = std::exchange(value, v);
        if (!Policy::is_empty(old)) Policy::close(old);
    }
    // For out-parameters: closes what is held and hands out the slot.
    [[nodiscard]] value_type* put() noexcept {
        reset();
        return &value;
    }

private:
    value_type value = Policy::empty();
};

// Handles for which null means none; `Close` may return anything (BOOL, GpStatus), it is ignored.
template <typename T, auto Close>
struct null_is_empty {
    using type = T;
    static constexpr T empty() noexcept { return nullptr; }
    static bool is_empty(T v) noexcept { return v == nullptr; }
    static void close(T v) noexcept { (void)Close(v); }
};

// Handles for which INVALID_HANDLE_VALUE means none (CreateFileW and kin).
template <auto Close>
struct invalid_is_empty {
    using type = HANDLE;
    static HANDLE empty() noexcept { return INVALID_HANDLE_VALUE; }
    static bool is_empty(HANDLE v) noexcept { return v == INVALID_HANDLE_VALUE; }
    static void close(HANDLE v) noexcept { (void)Close(v); }
};

using unique_handle = unique_res<null_is_empty<HANDLE, &::CloseHandle>>;          // CreateFileMappingW, ...
using unique_file = unique_res<invalid_is_empty<&::CloseHandle>>;                 // CreateFileW
using unique_view = unique_res<null_is_empty<void*, &::UnmapViewOfFile>>;         // MapViewOfFile
using unique_hfont = unique_res<null_is_empty<HFONT, &::DeleteObject>>;
using unique_hbitmap = unique_res<null_is_empty<HBITMAP, &::DeleteObject>>;
using unique_hdc = unique_res<null_is_empty<HDC, &::DeleteDC>>;                   // CreateCompatibleDC

// Runs a function when the scope ends, unless released.
template <typename F>
class scope_exit {
public:
    explicit scope_exit(F f) noexcept : fn(std::move(f)) {}
    ~scope_exit() {
        if (armed) fn();
    }
    scope_exit(const scope_exit&) = delete;
    scope_exit& operator=(const scope_exit&) = delete;
    void release() noexcept { armed = false; }

private:
    F fn;
    bool armed = true;
};

// Holds a slim reader/writer lock exclusively for a scope. The system's lock rather than the C++
// library's, whose mutex brings a good part of the library and its runtime into the DLL.
class exclusive_lock {
public:
    explicit exclusive_lock(SRWLOCK& lock) noexcept : held(lock) { AcquireSRWLockExclusive(&held); }
    ~exclusive_lock() { ReleaseSRWLockExclusive(&held); }
    exclusive_lock(const exclusive_lock&) = delete;
    exclusive_lock& operator=(const exclusive_lock&) = delete;
    SRWLOCK& lock() const noexcept { return held; }

private:
    SRWLOCK& held;
};

// A block from the host's allocator, zero-filled, given back when the owner goes.
class unique_block {
public:
    explicit unique_block(std::size_t bytes) noexcept;
    ~unique_block();
    unique_block(const unique_block&) = delete;
    unique_block& operator=(const unique_block&) = delete;
    [[nodiscard]] void* get() const noexcept { return block; }
    explicit operator bool() const noexcept { return block != nullptr; }

private:
    void* block;
};
