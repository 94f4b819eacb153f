#include "plugin/Registry.h"

#include <cstring>
#include <new>
#include <stdexcept>

#include "plugin/Constants.h"
#include "plugin/HostText.h"

String IdText(std::uint64_t id) {
    String text;
    text << static_cast<int>(static_cast<std::uint32_t>(id));
    return text;
}

String WindowIdText(HWND window) { return IdText(reinterpret_cast<std::uintptr_t>(window)); }

std::size_t SourceRegistry::GrownCapacity(std::size_t capacity, std::size_t count) noexcept {
    std::size_t grown = capacity > kMaxRecords - capacity / 2 ? count + 1 : capacity + capacity / 2;
    return grown < count + 1 ? count + 1 : grown;
}

void SourceRegistry::AppendSourceRecord(const SourceRecord& record) {
    const std::size_t count = Count();
    const SourceRecord* source = &record;
    const bool inside = source >= begin && source < end;
    const std::size_t insideIndex = inside ? static_cast<std::size_t>(source - begin) : 0;

    if (end == capacity) {
        if (count == kMaxRecords) throw std::length_error("source registry is full");
        const std::size_t newCapacity = GrownCapacity(Capacity(), count);
        if (newCapacity > kMaxRecords) throw std::bad_alloc();
        void* block = MainAllocator->_Allocate(newCapacity * sizeof(SourceRecord));
        if (!block) throw std::bad_alloc();
        std::memset(block, 0, newCapacity * sizeof(SourceRecord));
        auto* storage = static_cast<SourceRecord*>(block);
        std::size_t copied = 0;
        try {
            for (; copied < count; ++copied) new (storage + copied) SourceRecord(begin[copied]);
            // The new record is copied before the old storage goes, from wherever it lives.
            new (storage + count) SourceRecord(inside ? begin[insideIndex] : record);
        } catch (...) {
            for (std::size_t i = 0; i < copied; ++i) storage[i].~SourceRecord();
            MainAllocator->_Free(block);
            throw;
        }
        for (SourceRecord* r = begin; r != end; ++r) r->~SourceRecord();
        MainAllocator->_Free(begin);
        begin = storage;
        end = storage + count + 1;
        capacity = storage + newCapacity;
        return;
    }
    new (end) SourceRecord(*source);
    ++end;
}

SourceRecord* SourceRegistry::FindRecordByInnerId(const String& id) noexcept {
    for (SourceRecord* r = begin; r != end; ++r)
        if (r->innerId == id) return r;
    return nullptr;
}

SourceRecord* SourceRegistry::FindRecordByWindow(HWND window) noexcept {
    for (SourceRecord* r = begin; r != end; ++r)
        if (r->window == window) return r;
    return nullptr;
}

void SourceRegistry::RetireSourceRecords(const String& id) {
    const String match(id);  // `id` may be one of the inner ids about to change
    for (SourceRecord* r = begin; r != end; ++r) {
        if (r->innerId == match) {
            r->innerId += names::kRetiredSuffix;
            r->settings = nullptr;
        }
    }
}

void SourceRegistry::RetireSource(const XElement* settings) noexcept {
    if (!settings || begin == end) return;  // the common case: nothing to allocate
    for (SourceRecord* r = begin; r != end; ++r)
        if (r->settings == settings) r->settings = nullptr;
    try {
        RetireSourceRecords(String(ReadText(settings, keys::kInnerId, L"")));
    } catch (...) {
        // Out of memory while marking: only the inner ids stay as they were.
    }
}

void SourceRegistry::ReleaseRegistry() noexcept {
    if (!begin) return;
    for (SourceRecord* r = begin; r != end; ++r) r->~SourceRecord();
    MainAllocator->_Free(begin);
    begin = end = capacity = nullptr;
}
