#pragma once

#include <QTextLayout>

#include <cstdint>
#include <list>
#include <memory>
#include <unordered_map>

#include "text/WRange.h"

// The shaped layouts of the pieces of lines last drawn, by line and piece
// number, the most recently used kept when there are too many. Each knows the
// text it shows, so that an edit or a recolouring drops only the layouts whose
// text it touched and moves the others along.
class WShapedPieces {
public:
    explicit WShapedPieces(size_t capacity)
        : mCapacity(capacity)
    {
    }

    QTextLayout* find(uint32_t line, uint32_t index);
    QTextLayout& insert(uint32_t line, uint32_t index, WRange text, std::unique_ptr<QTextLayout> layout);
    bool empty() const { return mEntries.empty(); }

    void clear();
    // Drops the layouts whose text meets range (touching it counts).
    void dropMeeting(WRange range);
    void dropLine(uint32_t line);
    void dropLinesFrom(uint32_t line);
    // The text from position on moved by delta units.
    void moveTextAfter(uint32_t position, int64_t delta);
    // The pieces of line were cut again: those before keptBelow stay, old piece
    // oldJoined and those after it are now numbered from newJoined, the rest go.
    void renumber(uint32_t line, uint32_t keptBelow, uint32_t oldJoined, uint32_t newJoined);

private:
    struct Entry {
        uint32_t line;
        uint32_t index;
        WRange text;
        std::unique_ptr<QTextLayout> layout;
    };
    using Entries = std::list<Entry>;
    static uint64_t keyOf(uint32_t line, uint32_t index) { return (uint64_t(line) << 32) | index; }
    template <typename Drop>
    void dropIf(Drop&& drop);

    size_t mCapacity;
    Entries mEntries;
    std::unordered_map<uint64_t, Entries::iterator> mByKey;
};
