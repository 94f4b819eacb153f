#pragma once
#include <cstddef>
#include <cstdint>

#include "host/HostApi.h"

// One source known to the bridge: its window, the inner id (the window's decimal text), the
// settings element inbound messages write into, and the last text the companion pushed.
struct SourceRecord {
    HWND window = nullptr;
    String innerId;
    XElement* settings = nullptr;  // not owned; cleared when the record is retired
    int textFlag = 0;
    String text;                   // declared last, so destroyed before innerId
};

// An id as the companion reads it: its low 32 bits as a signed decimal, with a minus sign when
// negative and no leading zeros.
String IdText(std::uint64_t id);
// The window handle as text, the same way ("0" for null).
String WindowIdText(HWND window);

// The bridge's table of sources: a contiguous array over MainAllocator storage that only grows,
// by half its size each time. Records are never removed before ReleaseRegistry.
class SourceRegistry {
public:
    // As many records as the address space could count in bytes: 329406144173384850 records of
    // 56 bytes on 64-bit Windows.
    static constexpr std::size_t kMaxRecords = SIZE_MAX / sizeof(SourceRecord);

    SourceRegistry() noexcept = default;
    SourceRegistry(const SourceRegistry&) = delete;
    SourceRegistry& operator=(const SourceRegistry&) = delete;
    ~SourceRegistry() { ReleaseRegistry(); }

    // Appends a copy of `record`, which may itself live in the registry. Throws
    // std::length_error at the maximum count and std::bad_alloc when memory runs out; the
    // registry is then unchanged.
    void AppendSourceRecord(const SourceRecord& record);
    // The first record, in append order, with this inner id / window; null when none.
    SourceRecord* FindRecordByInnerId(const String& id) noexcept;
    SourceRecord* FindRecordByWindow(HWND window) noexcept;
    // Marks every record with this inner id as retired: ".delete" is appended to its inner id
    // and it lets go of the settings element, which its source no longer guarantees.
    void RetireSourceRecords(const String& id);
    // The source over `settings` is going away: every record that points at the element lets
    // go of it, whatever its inner id (the companion can rewrite "innerId" through the window,
    // and the element goes with the source), then the records under the element's "innerId"
    // are retired. Out of memory, the inner ids stay as they were; no record keeps the element.
    void RetireSource(const XElement* settings) noexcept;
    // Destroys every record and frees the storage.
    void ReleaseRegistry() noexcept;

    SourceRecord* Begin() const noexcept { return begin; }
    SourceRecord* End() const noexcept { return end; }
    std::size_t Count() const noexcept { return static_cast<std::size_t>(end - begin); }
    std::size_t Capacity() const noexcept { return static_cast<std::size_t>(capacity - begin); }

    // The capacity after growing from `capacity` when `count` records are held.
    static std::size_t GrownCapacity(std::size_t capacity, std::size_t count) noexcept;

private:
    SourceRecord* begin = nullptr;
    SourceRecord* end = nullptr;
    SourceRecord* capacity = nullptr;
};
