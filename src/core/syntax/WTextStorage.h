#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "text/WColor.h"
#include "text/WRange.h"

// A font as the text storage keeps it: the face's full name and its point size.
struct WFont {
    std::string name;
    double size = 12.0;

    friend bool operator==(const WFont&, const WFont&) = default;
};

enum class WAttributeName : uint8_t {
    Font = 0,
    ForegroundColor = 1,
    BackgroundColor = 2,
};

using WAttributeValue = std::variant<WFont, WColor>;

// The attributes at one position; an absent attribute is nullopt.
struct WTextAttributes {
    std::optional<WFont> font;
    std::optional<WColor> foregroundColor;
    std::optional<WColor> backgroundColor;

    friend bool operator==(const WTextAttributes&, const WTextAttributes&) = default;
};

class WTextStorage;

// Hears what happens to a text storage. Text changes arrive at once; attribute
// changes arrive at the end of the outermost beginEditing/endEditing bracket
// (or at once when made outside one) as the one range covering them all.
class WTextStorageListener {
public:
    virtual ~WTextStorageListener() = default;
    // The characters of oldRange were replaced by newLength characters.
    virtual void textStorageDidReplaceCharacters(WTextStorage& storage, WRange oldRange,
                                                 uint32_t newLength) {}
    // The attributes really changed somewhere inside range (current positions).
    virtual void textStorageDidChangeAttributes(WTextStorage& storage, WRange range) {}
    // The storage is going away: drop every pointer to it.
    virtual void textStorageWillDisappear(WTextStorage& storage) {}
};

// The runs of one attribute over the text: a sequence of (length, value) pairs,
// value 0 meaning "not set". The runs are cut into chunks of a few hundred so
// that an edit touches one small vector and a look-up skips whole chunks.
class WAttributeRuns {
public:
    WAttributeRuns();

    uint32_t length() const { return mLength; }
    // The value at index and the whole run around it (clipped to limit).
    uint32_t valueAt(uint32_t index, WRange* runRange, WRange limit) const;
    // Sets value over range; answers the part that really changed (length 0: none).
    WRange setValue(WRange range, uint32_t value);
    // Replaces the characters of range by newLength characters; these take the value
    // of the first replaced character, or of the one before an insertion (the one
    // after, at the start of the text).
    void replace(WRange range, uint32_t newLength);
    struct Run {
        uint32_t length;
        uint32_t value;
    };
    struct Chunk {
        std::vector<Run> runs;
        uint32_t length = 0;
    };
    // Replaces the runs over range by runs (whose lengths add up to range.length).
    void replaceRuns(WRange range, std::vector<Run> runs);

    // Repaints a long range in one pass: pieces given in text order, without
    // overlapping, take their values; the stretches between them keep theirs. The
    // new runs are laid out in chunks as they come and put in place at finish, so
    // no list of pieces or of runs is ever held whole besides the result.
    class Repaint {
    public:
        Repaint(WAttributeRuns& runs, WRange range);
        void paint(uint32_t location, uint32_t length, uint32_t value);
        // Puts the new runs in place; answers the part that really changed (length 0: none).
        WRange finish();

    private:
        // Copies what lies before to (at least the position reached) with its old values.
        void keepTo(uint32_t to);
        // Lays out [mPos, to) with value, noting where it differs from the old runs.
        void layOut(uint32_t to, uint32_t value, bool keep);
        void append(uint32_t length, uint32_t value);

        WAttributeRuns& mRuns;
        WRange mRange;
        uint32_t mPos;
        // The old run at mPos: chunk, run and where it starts.
        size_t mChunk;
        size_t mRun;
        uint32_t mRunStart;
        std::vector<Chunk> mNew;
        uint32_t mLo;
        uint32_t mHi = 0;
    };
    // Calls fn(value, range) for each run overlapping range, clipped to it.
    void enumerate(WRange range, const std::function<void(uint32_t, WRange)>& fn) const;
    // The same for walks over many runs, with no call through a std::function per run.
    template <typename Fn>
    void forEachRun(WRange range, Fn&& fn) const {
        if (range.location >= mLength) return;
        range.length = std::min(range.length, mLength - range.location);
        if (range.length == 0) return;
        Place place = locate(range.location);
        uint32_t pos = place.runStart;
        uint32_t end = range.maxRange();
        for (size_t c = place.chunk, r = place.run; c < mChunks.size() && pos < end; ++c, r = 0) {
            const std::vector<Run>& runs = mChunks[c].runs;
            for (; r < runs.size() && pos < end; ++r) {
                uint32_t from = std::max(pos, range.location);
                uint32_t to = std::min(pos + runs[r].length, end);
                fn(runs[r].value, WRange{from, to - from});
                pos += runs[r].length;
            }
        }
    }
    size_t runCount() const;

private:
    struct Place {
        size_t chunk;
        size_t run;
        uint32_t runStart;    // text position where that run starts
        uint32_t chunkStart;  // text position where the chunk starts
    };

    Place locate(uint32_t pos) const;
    // Makes a run boundary at pos; answers the place of the run starting there.
    Place splitAt(uint32_t pos);
    void eraseRuns(uint32_t from, uint32_t to);
    void insertRun(uint32_t pos, Run run);
    void coalesceAround(uint32_t pos);
    void balance(size_t chunk);
    // Replaces the runs over range by the chunks given, holding added units in all.
    void replaceWithChunks(WRange range, std::vector<Chunk> middle, uint32_t added);
    void resetHint() const {
        mHintChunk = 0;
        mHintStart = 0;
        mHintRunValid = false;
    }
    void setHint(const Place& place) const {
        mHintChunk = place.chunk;
        mHintStart = place.chunkStart;
        mHintRun = place.run;
        mHintRunStart = place.runStart;
        mHintRunValid = true;
    }

    std::vector<Chunk> mChunks;
    uint32_t mLength = 0;
    // Where the last look-up ended: edits and paints tend to stay near each other.
    mutable size_t mHintChunk = 0;
    mutable uint32_t mHintStart = 0;
    // ... and the run inside that chunk, while no edit has moved it.
    mutable size_t mHintRun = 0;
    mutable uint32_t mHintRunStart = 0;
    mutable bool mHintRunValid = false;
};

// The attributed text of a document's view: the text in CR form with font,
// foreground-colour and background-colour runs.
class WTextStorage {
public:
    WTextStorage();
    explicit WTextStorage(std::u16string_view text);
    ~WTextStorage();
    WTextStorage(const WTextStorage&) = delete;
    WTextStorage& operator=(const WTextStorage&) = delete;

    const std::u16string& string() const { return mString; }
    uint32_t length() const { return static_cast<uint32_t>(mString.size()); }

    // Brackets may nest; listeners hear the attribute changes at the outermost end.
    void beginEditing();
    void endEditing();
    bool isEditing() const { return mEditDepth > 0; }

    // Sets one attribute over range, replacing its previous value there. A range
    // reaching past the end is clipped.
    void addAttribute(WAttributeName name, const WAttributeValue& value, WRange range);
    void removeAttribute(WAttributeName name, WRange range);
    void setFont(const WFont& font, WRange range) { addAttribute(WAttributeName::Font, font, range); }
    void setForegroundColor(const WColor& color, WRange range) {
        addAttribute(WAttributeName::ForegroundColor, color, range);
    }
    void setBackgroundColor(const WColor& color, WRange range) {
        addAttribute(WAttributeName::BackgroundColor, color, range);
    }
    // Paints a long range in one pass. spans lie inside range, in text order, without
    // overlapping; each gives its stretch colors[color], or no colour for kNoColor.
    // The rest keeps its colour.
    static constexpr uint32_t kNoColor = UINT32_MAX;
    struct ColorSpan {
        uint32_t location;
        uint32_t length;
        uint32_t color;
    };
    void setForegroundColors(WRange range, const std::vector<ColorSpan>& spans, const std::vector<WColor>& colors);
    // The same with the spans handed over as they are found: produce(paint) calls
    // paint(location, length, color) for each, in text order.
    template <typename Produce>
    void paintForegroundColors(WRange range, const std::vector<WColor>& colors, Produce&& produce) {
        if (range.location >= length() || range.length == 0) return;
        const std::vector<uint32_t> values = foregroundValues(colors);
        WAttributeRuns::Repaint repaint(runs(WAttributeName::ForegroundColor), range);
        produce([&](uint32_t location, uint32_t length, uint32_t color) {
            repaint.paint(location, length, color == kNoColor ? 0 : values[color]);
        });
        WRange changed = repaint.finish();
        if (changed.length > 0) noteAttributeChange(changed);
    }

    // The attributes at index and, when asked, the longest range inside inRange over
    // which all of them stay the same. An index at or past the end answers no
    // attributes and an empty range at the end.
    WTextAttributes attributesAtIndex(uint32_t index, WRange* longestEffectiveRange,
                                      WRange inRange) const;
    WTextAttributes attributesAtIndex(uint32_t index, WRange* effectiveRange = nullptr) const {
        return attributesAtIndex(index, effectiveRange, {0, length()});
    }
    // One attribute's runs over range, in text order, clipped to it.
    void enumerateAttribute(WAttributeName name, WRange range,
                            const std::function<void(const WAttributeValue*, WRange)>& fn) const;
    // The same for walks over many runs: fn is called directly rather than through
    // a std::function.
    template <typename Fn>
    void forEachRun(WAttributeName name, WRange range, Fn&& fn) const {
        runs(name).forEachRun(range, [&](uint32_t id, WRange part) { fn(valueFor(name, id), part); });
    }

    // Replaces characters; the runs move with the text. The new characters take the
    // attributes of the first replaced character (of the one before an insertion).
    void replaceCharactersInRange(WRange range, std::u16string_view text);
    void setString(std::u16string_view text) { replaceCharactersInRange({0, length()}, text); }
    // The same, taking the text over without copying it.
    void takeString(std::u16string&& text);

    void addListener(WTextStorageListener* listener);
    void removeListener(WTextStorageListener* listener);

    size_t runCount(WAttributeName name) const { return runs(name).runCount(); }

private:
    WAttributeRuns& runs(WAttributeName name) { return mRuns[static_cast<size_t>(name)]; }
    const WAttributeRuns& runs(WAttributeName name) const { return mRuns[static_cast<size_t>(name)]; }
    uint32_t internValue(WAttributeName name, const WAttributeValue& value);
    std::vector<uint32_t> foregroundValues(const std::vector<WColor>& colors);
    const WAttributeValue* valueFor(WAttributeName name, uint32_t id) const;
    void noteAttributeChange(WRange changed);
    void flushAttributeChanges();

    std::u16string mString;
    WAttributeRuns mRuns[3];
    // Values are interned per attribute: a run keeps 1 + index into its table.
    std::vector<WAttributeValue> mValues[3];
    std::vector<WTextStorageListener*> mListeners;
    int mEditDepth = 0;
    std::optional<WRange> mPendingChange;
};
