#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <string>

// Makes room for a large text and asks for huge pages before anything touches
// it, so that filling hundreds of megabytes faults a few hundred pages instead
// of tens of thousands.
inline void reserveLarge(std::u16string& text, size_t units)
{
    constexpr size_t kHugePage = size_t(2) << 20;
    text.reserve(units);
    size_t bytes = text.capacity() * sizeof(char16_t);
    if (bytes < 4 * kHugePage)
        return;
    auto start = reinterpret_cast<uintptr_t>(text.data());
    uintptr_t first = (start + kHugePage - 1) & ~(uintptr_t(kHugePage) - 1);
    uintptr_t last = (start + bytes) & ~(uintptr_t(kHugePage) - 1);
    if (last > first)
        ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
}

// Hands back to the system the pages of a large text's room that lie past its
// end, as a decoder leaves them when it made room for the most the bytes could
// give. The room stays the string's: a page touched again comes back zeroed.
inline void releaseRoomPastEnd(std::u16string& text)
{
    constexpr size_t kWorthIt = size_t(1) << 20;
    const size_t spare = (text.capacity() - text.size()) * sizeof(char16_t);
    if (spare < kWorthIt)
        return;
    const auto pageSize = static_cast<uintptr_t>(::sysconf(_SC_PAGESIZE));
    const auto data = reinterpret_cast<uintptr_t>(text.data());
    // The terminating unit stays; the last page of the room may be shared.
    const uintptr_t first = (data + (text.size() + 1) * sizeof(char16_t) + pageSize - 1) & ~(pageSize - 1);
    const uintptr_t last = (data + (text.capacity() + 1) * sizeof(char16_t)) & ~(pageSize - 1);
    if (last > first)
        ::madvise(reinterpret_cast<void*>(first), last - first, MADV_DONTNEED);
}
