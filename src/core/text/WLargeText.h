#pragma once

#include <sys/mman.h>

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
