#include "syntax/WTextStorage.h"

#include <algorithm>
#include <limits>

#include "platform/WLog.h"

namespace {

// A chunk is split past kMaxRuns and merged with its neighbour below kMinRuns.
constexpr size_t kMaxRuns = 256;
constexpr size_t kMinRuns = 32;

WRange clipped(WRange range, uint32_t length) {
    uint32_t location = std::min(range.location, length);
    uint32_t end = range.length > length - location ? length : location + range.length;
    return {location, end - location};
}

}  // namespace

// ---------------------------------------------------------------- WAttributeRuns

WAttributeRuns::WAttributeRuns() : mChunks(1) {}

size_t WAttributeRuns::runCount() const {
    size_t count = 0;
    for (const Chunk& chunk : mChunks) count += chunk.runs.size();
    return count;
}

WAttributeRuns::Place WAttributeRuns::locate(uint32_t pos) const {
    size_t c = mHintChunk;
    uint32_t start = mHintStart;
    if (c >= mChunks.size() || start > mLength || pos < start / 2) {  // nearer the beginning than the hint
        c = 0;
        start = 0;
    }
    while (pos < start && c > 0) {
        --c;
        start -= mChunks[c].length;
    }
    while (c + 1 < mChunks.size() && pos >= start + mChunks[c].length) {
        start += mChunks[c].length;
        ++c;
    }
    const std::vector<Run>& runs = mChunks[c].runs;
    size_t r = 0;
    uint32_t runStart = start;
    if (mHintRunValid && mHintChunk == c && mHintRun <= runs.size()) {
        r = mHintRun;
        runStart = mHintRunStart;
    }
    while (r < runs.size() && pos >= runStart + runs[r].length) {
        runStart += runs[r].length;
        ++r;
    }
    while (r > 0 && pos < runStart) {
        --r;
        runStart -= runs[r].length;
    }
    Place place{c, r, runStart, start};
    setHint(place);
    return place;
}

WAttributeRuns::Place WAttributeRuns::splitAt(uint32_t pos) {
    Place place = locate(pos);
    std::vector<Run>& runs = mChunks[place.chunk].runs;
    if (place.run >= runs.size() || place.runStart == pos) return place;
    Run& run = runs[place.run];
    uint32_t head = pos - place.runStart;
    Run tail{run.length - head, run.value};
    run.length = head;
    runs.insert(runs.begin() + static_cast<ptrdiff_t>(place.run) + 1, tail);
    Place split{place.chunk, place.run + 1, pos, place.chunkStart};
    setHint(split);
    return split;
}

void WAttributeRuns::eraseRuns(uint32_t from, uint32_t to) {
    if (from >= to) return;
    splitAt(to);
    splitAt(from);
    Place a = locate(from);
    Place b = locate(to);
    if (a.chunk == b.chunk) {
        Chunk& chunk = mChunks[a.chunk];
        chunk.runs.erase(chunk.runs.begin() + static_cast<ptrdiff_t>(a.run),
                         chunk.runs.begin() + static_cast<ptrdiff_t>(b.run));
        chunk.length -= to - from;
    } else {
        Chunk& first = mChunks[a.chunk];
        first.runs.erase(first.runs.begin() + static_cast<ptrdiff_t>(a.run), first.runs.end());
        first.length = from - a.chunkStart;
        Chunk& last = mChunks[b.chunk];
        last.runs.erase(last.runs.begin(), last.runs.begin() + static_cast<ptrdiff_t>(b.run));
        last.length -= to - b.chunkStart;
        mChunks.erase(mChunks.begin() + static_cast<ptrdiff_t>(a.chunk) + 1,
                      mChunks.begin() + static_cast<ptrdiff_t>(b.chunk));
    }
    mLength -= to - from;
    setHint(a);  // the run after the erased stretch now starts at from, index a.run
    // Drop chunks left empty (the first stays when it is the only one).
    for (size_t c = std::min(a.chunk + 1, mChunks.size()); c-- > a.chunk;) {
        if (mChunks[c].runs.empty() && mChunks.size() > 1) mChunks.erase(mChunks.begin() + static_cast<ptrdiff_t>(c));
    }
    balance(std::min(a.chunk, mChunks.size() - 1));
}

void WAttributeRuns::insertRun(uint32_t pos, Run run) {
    if (run.length == 0) return;
    Place place = splitAt(pos);
    Chunk& chunk = mChunks[place.chunk];
    chunk.runs.insert(chunk.runs.begin() + static_cast<ptrdiff_t>(place.run), run);
    chunk.length += run.length;
    mLength += run.length;
    setHint(place);
    balance(place.chunk);
}

// Joins the run starting at pos with the one before it when they hold one value.
void WAttributeRuns::coalesceAround(uint32_t pos) {
    if (pos == 0 || pos >= mLength) return;
    Place place = locate(pos);
    if (place.runStart != pos) return;
    Chunk& chunk = mChunks[place.chunk];
    if (place.run > 0) {
        Run& prev = chunk.runs[place.run - 1];
        if (prev.value != chunk.runs[place.run].value) return;
        uint32_t prevStart = pos - prev.length;
        prev.length += chunk.runs[place.run].length;
        chunk.runs.erase(chunk.runs.begin() + static_cast<ptrdiff_t>(place.run));
        setHint({place.chunk, place.run - 1, prevStart, place.chunkStart});
        return;
    }
    if (place.chunk == 0) return;
    Chunk& before = mChunks[place.chunk - 1];
    if (before.runs.empty() || before.runs.back().value != chunk.runs.front().value) return;
    uint32_t moved = chunk.runs.front().length;
    uint32_t beforeStart = place.chunkStart - before.length;
    uint32_t lastStart = pos - before.runs.back().length;
    before.runs.back().length += moved;
    before.length += moved;
    chunk.length -= moved;
    chunk.runs.erase(chunk.runs.begin());
    setHint({place.chunk - 1, before.runs.size() - 1, lastStart, beforeStart});
    if (chunk.runs.empty()) mChunks.erase(mChunks.begin() + static_cast<ptrdiff_t>(place.chunk));
}

// Keeps chunk c between kMinRuns and kMaxRuns runs; never moves the start of chunk c.
void WAttributeRuns::balance(size_t c) {
    if (c >= mChunks.size()) return;
    if (mHintChunk != c) resetHint();
    if (mChunks[c].runs.size() > kMaxRuns) {
        Chunk& chunk = mChunks[c];
        size_t half = chunk.runs.size() / 2;
        Chunk tail;
        tail.runs.assign(chunk.runs.begin() + static_cast<ptrdiff_t>(half), chunk.runs.end());
        for (const Run& run : tail.runs) tail.length += run.length;
        chunk.runs.resize(half);
        chunk.length -= tail.length;
        mChunks.insert(mChunks.begin() + static_cast<ptrdiff_t>(c) + 1, std::move(tail));
        if (mHintRun >= half) mHintRunValid = false;
        return;
    }
    if (mChunks[c].runs.size() < kMinRuns && c + 1 < mChunks.size() &&
        mChunks[c].runs.size() + mChunks[c + 1].runs.size() <= kMaxRuns / 2) {
        Chunk& chunk = mChunks[c];
        Chunk& next = mChunks[c + 1];
        chunk.runs.insert(chunk.runs.end(), next.runs.begin(), next.runs.end());
        chunk.length += next.length;
        mChunks.erase(mChunks.begin() + static_cast<ptrdiff_t>(c) + 1);
    }
}

uint32_t WAttributeRuns::valueAt(uint32_t index, WRange* runRange, WRange limit) const {
    if (index >= mLength) {
        if (runRange) *runRange = {mLength, 0};
        return 0;
    }
    Place place = locate(index);
    const Run& run = mChunks[place.chunk].runs[place.run];
    uint32_t value = run.value;
    if (!runRange) return value;
    uint32_t start = place.runStart;
    uint32_t end = place.runStart + run.length;
    uint32_t limitEnd = std::min(limit.maxRange(), mLength);
    // Runs are kept joined, but a chunk edge may still separate equal values.
    size_t c = place.chunk, r = place.run;
    while (start > limit.location) {
        if (r == 0) {
            if (c == 0) break;
            --c;
            r = mChunks[c].runs.size();
            if (r == 0) break;
        }
        const Run& prev = mChunks[c].runs[r - 1];
        if (prev.value != value) break;
        start -= prev.length;
        --r;
    }
    c = place.chunk;
    r = place.run + 1;
    while (end < limitEnd) {
        if (r >= mChunks[c].runs.size()) {
            if (c + 1 >= mChunks.size()) break;
            ++c;
            r = 0;
            if (mChunks[c].runs.empty()) break;
        }
        const Run& next = mChunks[c].runs[r];
        if (next.value != value) break;
        end += next.length;
        ++r;
    }
    start = std::max(start, limit.location);
    end = std::min(end, limitEnd);
    *runRange = {start, end > start ? end - start : 0};
    return value;
}

void WAttributeRuns::enumerate(WRange range, const std::function<void(uint32_t, WRange)>& fn) const {
    forEachRun(range, fn);
}

WRange WAttributeRuns::setValue(WRange range, uint32_t value) {
    range = clipped(range, mLength);
    if (range.length == 0) return {range.location, 0};
    uint32_t lo = std::numeric_limits<uint32_t>::max(), hi = 0;
    enumerate(range, [&](uint32_t old, WRange part) {
        if (old == value) return;
        lo = std::min(lo, part.location);
        hi = std::max(hi, part.maxRange());
    });
    if (hi == 0) return {range.location, 0};
    eraseRuns(lo, hi);
    insertRun(lo, {hi - lo, value});
    coalesceAround(hi);
    coalesceAround(lo);
    return {lo, hi - lo};
}

void WAttributeRuns::replace(WRange range, uint32_t newLength) {
    range = clipped(range, mLength);
    uint32_t value = 0;
    if (mLength > 0) {
        uint32_t source = range.length > 0 ? range.location
                          : range.location > 0 ? range.location - 1
                                               : 0;
        value = valueAt(source, nullptr, {0, mLength});
    }
    eraseRuns(range.location, range.maxRange());
    insertRun(range.location, {newLength, value});
    coalesceAround(range.location + newLength);
    coalesceAround(range.location);
}

void WAttributeRuns::replaceRuns(WRange range, std::vector<Run> runs) {
    std::vector<Chunk> middle;
    uint32_t added = 0;
    for (size_t i = 0; i < runs.size(); i += kMaxRuns / 2) {
        Chunk chunk;
        chunk.runs.assign(runs.begin() + static_cast<ptrdiff_t>(i),
                          runs.begin() + static_cast<ptrdiff_t>(std::min(runs.size(), i + kMaxRuns / 2)));
        for (const Run& run : chunk.runs) chunk.length += run.length;
        added += chunk.length;
        middle.push_back(std::move(chunk));
    }
    replaceWithChunks(range, std::move(middle), added);
}

void WAttributeRuns::replaceWithChunks(WRange range, std::vector<Chunk> middle, uint32_t added) {
    range = clipped(range, mLength);
    eraseRuns(range.location, range.maxRange());
    if (added == 0) return;
    Place place = splitAt(range.location);
    Chunk& head = mChunks[place.chunk];
    Chunk tail;
    tail.runs.assign(head.runs.begin() + static_cast<ptrdiff_t>(place.run), head.runs.end());
    tail.length = head.length - (range.location - place.chunkStart);
    head.runs.resize(place.run);
    head.length = range.location - place.chunkStart;
    middle.push_back(std::move(tail));
    mChunks.insert(mChunks.begin() + static_cast<ptrdiff_t>(place.chunk) + 1, std::make_move_iterator(middle.begin()),
                   std::make_move_iterator(middle.end()));
    mLength += added;
    std::erase_if(mChunks, [](const Chunk& chunk) { return chunk.runs.empty(); });
    if (mChunks.empty()) mChunks.emplace_back();
    resetHint();
    coalesceAround(range.location + added);
    coalesceAround(range.location);
}

WAttributeRuns::Repaint::Repaint(WAttributeRuns& runs, WRange range)
    : mRuns(runs), mRange(clipped(range, runs.mLength)), mPos(mRange.location), mLo(mRange.maxRange()) {
    Place place = runs.locate(mRange.location);
    mChunk = place.chunk;
    mRun = place.run;
    mRunStart = place.runStart;
    mNew.emplace_back();
}

void WAttributeRuns::Repaint::paint(uint32_t location, uint32_t length, uint32_t value) {
    // What reaches back over an earlier piece or out of the range is cut off.
    uint32_t from = std::max({location, mPos, mRange.location});
    uint32_t to = std::min(location + length, mRange.maxRange());
    if (to <= from) return;
    keepTo(from);
    layOut(to, value, false);
}

WRange WAttributeRuns::Repaint::finish() {
    keepTo(mRange.maxRange());
    if (mHi <= mLo) return {mRange.location, 0};  // nothing changed: the old runs stay
    mRuns.replaceWithChunks(mRange, std::move(mNew), mRange.length);
    return {mLo, mHi - mLo};
}

void WAttributeRuns::Repaint::keepTo(uint32_t to) { layOut(to, 0, true); }

void WAttributeRuns::Repaint::layOut(uint32_t to, uint32_t value, bool keep) {
    while (mPos < to) {
        // The old runs are read where they lie; the new ones go to chunks of their own.
        while (mRun >= mRuns.mChunks[mChunk].runs.size()) {
            ++mChunk;
            mRun = 0;
        }
        const Run& old = mRuns.mChunks[mChunk].runs[mRun];
        uint32_t oldEnd = mRunStart + old.length;
        uint32_t stop = std::min(to, oldEnd);
        uint32_t now = keep ? old.value : value;
        if (now != old.value) {
            mLo = std::min(mLo, mPos);
            mHi = std::max(mHi, stop);
        }
        append(stop - mPos, now);
        mPos = stop;
        if (stop == oldEnd) {
            mRunStart = oldEnd;
            ++mRun;
        }
    }
}

void WAttributeRuns::Repaint::append(uint32_t length, uint32_t value) {
    if (length == 0) return;
    if (!mNew.back().runs.empty() && mNew.back().runs.back().value == value) {
        mNew.back().runs.back().length += length;
        mNew.back().length += length;
        return;
    }
    if (mNew.back().runs.size() >= kMaxRuns / 2) mNew.emplace_back();
    Chunk& chunk = mNew.back();
    if (chunk.runs.empty()) chunk.runs.reserve(kMaxRuns / 2);
    chunk.runs.push_back({length, value});
    chunk.length += length;
}

// ---------------------------------------------------------------- WTextStorage

WTextStorage::WTextStorage() = default;

WTextStorage::~WTextStorage() {
    std::vector<WTextStorageListener*> listeners;
    listeners.swap(mListeners);
    for (WTextStorageListener* listener : listeners) listener->textStorageWillDisappear(*this);
}

WTextStorage::WTextStorage(std::u16string_view text) {
    mString.reserve(text.size() + text.size() / 8 + 4096);
    mString.assign(text);
    for (WAttributeRuns& runs : mRuns) runs.replace({0, 0}, length());
}

void WTextStorage::takeString(std::u16string&& text) {
    WRange old{0, length()};
    mString = std::move(text);
    for (WAttributeRuns& r : mRuns) r.replace(old, length());
    if (mPendingChange) mPendingChange = WRange{0, length()};
    std::vector<WTextStorageListener*> listeners = mListeners;
    for (WTextStorageListener* listener : listeners) listener->textStorageDidReplaceCharacters(*this, old, length());
}

void WTextStorage::setForegroundColors(WRange range, const std::vector<ColorSpan>& spans,
                                      const std::vector<WColor>& colors) {
    paintForegroundColors(range, colors, [&](auto paint) {
        for (const ColorSpan& span : spans) paint(span.location, span.length, span.color);
    });
}

std::vector<uint32_t> WTextStorage::foregroundValues(const std::vector<WColor>& colors) {
    std::vector<uint32_t> values(colors.size());
    for (size_t i = 0; i < colors.size(); ++i) values[i] = internValue(WAttributeName::ForegroundColor, colors[i]);
    return values;
}

void WTextStorage::beginEditing() { ++mEditDepth; }

void WTextStorage::endEditing() {
    if (mEditDepth == 0) {
        WLog::write("WTextStorage::endEditing - not editing.");
        return;
    }
    if (--mEditDepth == 0) flushAttributeChanges();
}

uint32_t WTextStorage::internValue(WAttributeName name, const WAttributeValue& value) {
    std::vector<WAttributeValue>& table = mValues[static_cast<size_t>(name)];
    for (size_t i = 0; i < table.size(); ++i) {
        if (table[i] == value) return static_cast<uint32_t>(i + 1);
    }
    table.push_back(value);
    return static_cast<uint32_t>(table.size());
}

const WAttributeValue* WTextStorage::valueFor(WAttributeName name, uint32_t id) const {
    if (id == 0) return nullptr;
    return &mValues[static_cast<size_t>(name)][id - 1];
}

void WTextStorage::addAttribute(WAttributeName name, const WAttributeValue& value, WRange range) {
    bool isFont = std::holds_alternative<WFont>(value);
    if (isFont != (name == WAttributeName::Font)) {
        WLog::write("WTextStorage::addAttribute - value does not fit the attribute.");
        return;
    }
    WRange changed = runs(name).setValue(range, internValue(name, value));
    if (changed.length > 0) noteAttributeChange(changed);
}

void WTextStorage::removeAttribute(WAttributeName name, WRange range) {
    WRange changed = runs(name).setValue(range, 0);
    if (changed.length > 0) noteAttributeChange(changed);
}

WTextAttributes WTextStorage::attributesAtIndex(uint32_t index, WRange* longestEffectiveRange,
                                                WRange inRange) const {
    WTextAttributes attributes;
    if (index >= length()) {
        if (longestEffectiveRange) *longestEffectiveRange = {length(), 0};
        return attributes;
    }
    WRange limit = clipped(inRange, length());
    uint32_t start = 0, end = length();
    for (size_t i = 0; i < 3; ++i) {
        WRange run;
        uint32_t id = mRuns[i].valueAt(index, longestEffectiveRange ? &run : nullptr, limit);
        if (longestEffectiveRange) {
            start = std::max(start, run.location);
            end = std::min(end, run.maxRange());
        }
        const WAttributeValue* value = valueFor(static_cast<WAttributeName>(i), id);
        if (!value) continue;
        switch (static_cast<WAttributeName>(i)) {
        case WAttributeName::Font: attributes.font = std::get<WFont>(*value); break;
        case WAttributeName::ForegroundColor: attributes.foregroundColor = std::get<WColor>(*value); break;
        case WAttributeName::BackgroundColor: attributes.backgroundColor = std::get<WColor>(*value); break;
        }
    }
    if (longestEffectiveRange) *longestEffectiveRange = {start, end > start ? end - start : 0};
    return attributes;
}

void WTextStorage::enumerateAttribute(WAttributeName name, WRange range,
                                      const std::function<void(const WAttributeValue*, WRange)>& fn) const {
    runs(name).enumerate(range, [&](uint32_t id, WRange part) { fn(valueFor(name, id), part); });
}

void WTextStorage::replaceCharactersInRange(WRange range, std::u16string_view text) {
    range = clipped(range, length());
    auto newLength = static_cast<uint32_t>(text.size());
    // Keep room to grow, so that typing into a large text never copies it whole.
    size_t needed = mString.size() - range.length + text.size();
    if (needed > mString.capacity()) mString.reserve(needed + needed / 8 + 4096);
    mString.replace(range.location, range.length, text);
    for (WAttributeRuns& r : mRuns) r.replace(range, newLength);
    if (mPendingChange) {
        // Keep the pending attribute change pointing at the same characters.
        WRange& p = *mPendingChange;
        int64_t delta = int64_t(newLength) - int64_t(range.length);
        if (p.location >= range.maxRange()) {
            p.location = static_cast<uint32_t>(p.location + delta);
        } else if (p.maxRange() > range.location) {
            uint32_t from = std::min(p.location, range.location);
            int64_t to = std::max<int64_t>(int64_t(p.maxRange()) + delta, range.location + newLength);
            to = std::min<int64_t>(to, length());
            p = {from, static_cast<uint32_t>(std::max<int64_t>(to - from, 0))};
        }
    }
    std::vector<WTextStorageListener*> listeners = mListeners;
    for (WTextStorageListener* listener : listeners) listener->textStorageDidReplaceCharacters(*this, range, newLength);
}

void WTextStorage::noteAttributeChange(WRange changed) {
    if (mPendingChange) {
        uint32_t from = std::min(mPendingChange->location, changed.location);
        uint32_t to = std::max(mPendingChange->maxRange(), changed.maxRange());
        mPendingChange = WRange{from, to - from};
    } else {
        mPendingChange = changed;
    }
    if (mEditDepth == 0) flushAttributeChanges();
}

void WTextStorage::flushAttributeChanges() {
    if (!mPendingChange) return;
    WRange changed = *mPendingChange;
    mPendingChange.reset();
    std::vector<WTextStorageListener*> listeners = mListeners;
    for (WTextStorageListener* listener : listeners) listener->textStorageDidChangeAttributes(*this, changed);
}

void WTextStorage::addListener(WTextStorageListener* listener) {
    if (listener && std::find(mListeners.begin(), mListeners.end(), listener) == mListeners.end())
        mListeners.push_back(listener);
}

void WTextStorage::removeListener(WTextStorageListener* listener) {
    mListeners.erase(std::remove(mListeners.begin(), mListeners.end(), listener), mListeners.end());
}
