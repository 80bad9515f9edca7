#include "canvas/WShapedPieces.h"

#include <vector>

QTextLayout* WShapedPieces::find(uint32_t line, uint32_t index)
{
    auto found = mByKey.find(keyOf(line, index));
    if (found == mByKey.end())
        return nullptr;
    mEntries.splice(mEntries.begin(), mEntries, found->second);
    return found->second->layout.get();
}

QTextLayout& WShapedPieces::insert(uint32_t line, uint32_t index, WRange text, std::unique_ptr<QTextLayout> layout)
{
    const uint64_t key = keyOf(line, index);
    if (auto old = mByKey.find(key); old != mByKey.end()) {
        mEntries.erase(old->second);
        mByKey.erase(old);
    }
    mEntries.push_front({line, index, text, std::move(layout)});
    mByKey[key] = mEntries.begin();
    if (mEntries.size() > mCapacity) {
        mByKey.erase(keyOf(mEntries.back().line, mEntries.back().index));
        mEntries.pop_back();
    }
    return *mEntries.front().layout;
}

void WShapedPieces::clear()
{
    mEntries.clear();
    mByKey.clear();
}

template <typename Drop>
void WShapedPieces::dropIf(Drop&& drop)
{
    for (auto it = mEntries.begin(); it != mEntries.end();) {
        if (drop(*it)) {
            mByKey.erase(keyOf(it->line, it->index));
            it = mEntries.erase(it);
        } else {
            ++it;
        }
    }
}

void WShapedPieces::dropMeeting(WRange range)
{
    dropIf([range](const Entry& entry) {
        return entry.text.location <= range.maxRange() && range.location <= entry.text.maxRange();
    });
}

void WShapedPieces::dropLine(uint32_t line)
{
    dropIf([line](const Entry& entry) { return entry.line == line; });
}

void WShapedPieces::dropLinesFrom(uint32_t line)
{
    dropIf([line](const Entry& entry) { return entry.line >= line; });
}

void WShapedPieces::moveTextAfter(uint32_t position, int64_t delta)
{
    for (Entry& entry : mEntries) {
        if (entry.text.location >= position)
            entry.text.location = static_cast<uint32_t>(int64_t(entry.text.location) + delta);
    }
}

void WShapedPieces::renumber(uint32_t line, uint32_t keptBelow, uint32_t oldJoined, uint32_t newJoined)
{
    dropIf([&](const Entry& entry) {
        return entry.line == line && entry.index >= keptBelow && entry.index < oldJoined;
    });
    std::vector<Entries::iterator> moved;
    for (auto it = mEntries.begin(); it != mEntries.end(); ++it) {
        if (it->line == line && it->index >= oldJoined) {
            mByKey.erase(keyOf(line, it->index));
            moved.push_back(it);
        }
    }
    for (Entries::iterator it : moved) {
        it->index = it->index - oldJoined + newJoined;
        mByKey[keyOf(line, it->index)] = it;
    }
}
