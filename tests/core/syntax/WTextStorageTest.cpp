#include <gtest/gtest.h>

#include <random>

#include "syntax/WTextStorage.h"

namespace {

WColor grey(float v) { return {v, v, v, 1.0f}; }

struct Recorder : WTextStorageListener {
    std::vector<std::pair<WRange, uint32_t>> edits;
    std::vector<WRange> changes;
    void textStorageDidReplaceCharacters(WTextStorage&, WRange oldRange, uint32_t newLength) override {
        edits.push_back({oldRange, newLength});
    }
    void textStorageDidChangeAttributes(WTextStorage&, WRange range) override { changes.push_back(range); }
};

// A per-character model the run structure must always agree with.
struct Model {
    std::u16string text;
    std::vector<int> colour;  // -1: none
    void replace(WRange r, uint32_t n) {
        int v = -1;
        if (!colour.empty()) v = colour[r.length ? r.location : (r.location ? r.location - 1 : 0)];
        text.replace(r.location, r.length, std::u16string(n, u'x'));
        colour.erase(colour.begin() + r.location, colour.begin() + r.maxRange());
        colour.insert(colour.begin() + r.location, n, v);
    }
};

// Every run the storage reports is maximal and agrees with the model.
void expectRunsAgree(const WTextStorage& storage, const Model& model) {
    for (uint32_t i = 0; i < storage.length();) {
        WRange run;
        auto attrs = storage.attributesAtIndex(i, &run, {0, storage.length()});
        ASSERT_EQ(run.location, i);
        int v = model.colour[i];
        for (uint32_t j = i; j < run.maxRange(); ++j) ASSERT_EQ(model.colour[j], v) << j;
        if (run.maxRange() < storage.length()) {
            ASSERT_NE(model.colour[run.maxRange()], v);
        }
        if (v < 0) ASSERT_FALSE(attrs.foregroundColor);
        else ASSERT_EQ(*attrs.foregroundColor, grey(v / 4.0f));
        i = run.maxRange();
    }
}

}  // namespace

TEST(WTextStorage, RunsMoveWithTheTextAndMatchAPerCharacterModel) {
    std::mt19937 random(7);
    WTextStorage storage(std::u16string(20000, u'x'));
    Model model{std::u16string(20000, u'x'), std::vector<int>(20000, -1)};
    for (int step = 0; step < 30000; ++step) {
        uint32_t len = storage.length();
        uint32_t at = len ? random() % (len + 1) : 0;
        uint32_t span = std::min<uint32_t>(random() % 12, len - at);
        if (random() % 3 == 0) {
            uint32_t n = random() % 12;
            storage.replaceCharactersInRange({at, span}, std::u16string(n, u'x'));
            model.replace({at, span}, n);
        } else {
            int v = static_cast<int>(random() % 4);
            storage.setForegroundColor(grey(v / 4.0f), {at, span});
            std::fill(model.colour.begin() + at, model.colour.begin() + at + span, v);
        }
        ASSERT_EQ(storage.length(), model.colour.size());
    }
    EXPECT_GT(storage.runCount(WAttributeName::ForegroundColor), 2000u);  // spans several chunks
    expectRunsAgree(storage, model);
}

TEST(WTextStorage, LongestEffectiveRangeCombinesAttributesAndStaysInsideTheLimit) {
    WTextStorage storage(u"abcdefghij");
    storage.setForegroundColor(grey(0.5f), {0, 8});
    storage.setFont({"Mono", 12}, {3, 7});
    WRange run;
    auto attrs = storage.attributesAtIndex(4, &run, {0, 10});
    EXPECT_EQ(run, (WRange{3, 5}));
    EXPECT_EQ(attrs.font->name, "Mono");
    storage.attributesAtIndex(4, &run, {4, 2});
    EXPECT_EQ(run, (WRange{4, 2}));
    attrs = storage.attributesAtIndex(10, &run, {0, 10});
    EXPECT_EQ(run, (WRange{10, 0}));
    EXPECT_FALSE(attrs.foregroundColor);
}

TEST(WTextStorage, InsertedTextTakesTheAttributesBeforeIt) {
    WTextStorage storage(u"aaabbb");
    storage.setForegroundColor(grey(0.1f), {0, 3});
    storage.setForegroundColor(grey(0.9f), {3, 3});
    storage.replaceCharactersInRange({3, 0}, u"X");  // at a run edge: the left run grows
    EXPECT_EQ(storage.string(), u"aaaXbbb");
    EXPECT_EQ(*storage.attributesAtIndex(3).foregroundColor, grey(0.1f));
    storage.replaceCharactersInRange({0, 0}, u"Y");  // at the start: the first run grows
    EXPECT_EQ(*storage.attributesAtIndex(0).foregroundColor, grey(0.1f));
    storage.replaceCharactersInRange({5, 2}, u"ZZZ");  // replacement: the first replaced character
    EXPECT_EQ(*storage.attributesAtIndex(6).foregroundColor, grey(0.9f));
    storage.replaceCharactersInRange({0, storage.length()}, u"");
    EXPECT_EQ(storage.length(), 0u);
    storage.replaceCharactersInRange({0, 0}, u"new");
    EXPECT_FALSE(storage.attributesAtIndex(0).foregroundColor);
}

TEST(WTextStorage, ListenerHearsEditsAndOnlyRealAttributeChangesOnce) {
    WTextStorage storage(u"0123456789");
    Recorder recorder;
    storage.addListener(&recorder);
    storage.beginEditing();
    storage.setForegroundColor(grey(0.2f), {2, 2});
    storage.beginEditing();
    storage.setForegroundColor(grey(0.2f), {6, 3});
    storage.endEditing();
    EXPECT_TRUE(recorder.changes.empty());  // nested end: not yet
    storage.endEditing();
    ASSERT_EQ(recorder.changes.size(), 1u);
    EXPECT_EQ(recorder.changes[0], (WRange{2, 7}));

    // Painting what is already there changes nothing and is not reported.
    storage.beginEditing();
    storage.setForegroundColor(grey(0.2f), {6, 3});
    storage.endEditing();
    EXPECT_EQ(recorder.changes.size(), 1u);

    // Only the part that differs is reported.
    storage.setForegroundColor(grey(0.2f), {0, 4});
    EXPECT_EQ(recorder.changes.back(), (WRange{0, 2}));

    // A text change inside the bracket shifts the pending range with the text.
    storage.beginEditing();
    storage.setForegroundColor(grey(0.7f), {8, 2});
    storage.replaceCharactersInRange({0, 0}, u"ab");
    storage.endEditing();
    EXPECT_EQ(recorder.changes.back(), (WRange{10, 2}));
    ASSERT_EQ(recorder.edits.size(), 1u);
    EXPECT_EQ(recorder.edits[0].first, (WRange{0, 0}));
    EXPECT_EQ(recorder.edits[0].second, 2u);

    // Ranges past the end are clipped, not trusted.
    storage.setBackgroundColor(grey(1), {storage.length() - 1, 100});
    EXPECT_EQ(recorder.changes.back(), (WRange{storage.length() - 1, 1}));
    storage.removeListener(&recorder);
}

TEST(WTextStorage, ManyRunsStayCompactAfterRepainting) {
    std::u16string text(200000, u'a');
    WTextStorage storage(text);
    for (uint32_t i = 0; i < text.size(); i += 4) storage.setForegroundColor(grey(0.3f), {i, 2});
    EXPECT_EQ(storage.runCount(WAttributeName::ForegroundColor), 100000u);
    storage.setForegroundColor(grey(0.3f), {0, storage.length()});
    EXPECT_EQ(storage.runCount(WAttributeName::ForegroundColor), 1u);
    WRange run;
    storage.attributesAtIndex(123456, &run);
    EXPECT_EQ(run, (WRange{0, 200000}));
}

TEST(WTextStorage, ListenersHearWhenTheStorageGoesAway) {
    struct Watcher : WTextStorageListener {
        WTextStorage* storage = nullptr;
        void textStorageWillDisappear(WTextStorage&) override { storage = nullptr; }
    } watcher;
    {
        WTextStorage storage(u"x");
        watcher.storage = &storage;
        storage.addListener(&watcher);
    }
    EXPECT_EQ(watcher.storage, nullptr);
}

TEST(WTextStorage, PaintingSpansInOnePassMatchesPaintingThemOneByOne) {
    std::mt19937 random(11);
    const uint32_t size = 40000;
    WTextStorage storage(std::u16string(size, u'x'));
    Model model{std::u16string(size, u'x'), std::vector<int>(size, -1)};
    Recorder recorder;
    storage.addListener(&recorder);
    const std::vector<WColor> colors = {grey(0), grey(0.25f), grey(0.5f), grey(0.75f)};
    for (int round = 0; round < 300; ++round) {
        // Old runs of every colour, over several chunks, then a pass over part of them.
        for (int k = 0; k < 200; ++k) {
            uint32_t at = random() % size, span = std::min<uint32_t>(random() % 40, size - at);
            int v = static_cast<int>(random() % 4);
            storage.setForegroundColor(colors[v], {at, span});
            std::fill(model.colour.begin() + at, model.colour.begin() + at + span, v);
        }
        // The range touches the text's ends now and then; spans may touch each other,
        // the range's ends, repeat the old colour, or reach past the range (cut off).
        uint32_t from = round % 7 == 0 ? 0 : random() % size;
        uint32_t to = round % 5 == 0 ? size : from + random() % (size - from + 1);
        std::vector<WTextStorage::ColorSpan> spans;
        for (uint32_t p = from; p < to;) {
            uint32_t at = p + random() % 3 * (random() % 30);
            uint32_t length = 1 + random() % 60;
            if (at >= to) break;
            spans.push_back({at, length, static_cast<uint32_t>(random() % 4)});
            p = at + length;
        }
        uint32_t lo = size, hi = 0;
        for (const auto& span : spans) {
            for (uint32_t i = span.location; i < std::min(span.location + span.length, to); ++i) {
                if (model.colour[i] != static_cast<int>(span.color)) {
                    lo = std::min(lo, i);
                    hi = i + 1;
                }
                model.colour[i] = static_cast<int>(span.color);
            }
        }
        recorder.changes.clear();
        storage.setForegroundColors({from, to - from}, spans, colors);
        if (hi > lo) {
            ASSERT_EQ(recorder.changes.size(), 1u);
            ASSERT_EQ(recorder.changes[0], (WRange{lo, hi - lo})) << round;
        } else {
            ASSERT_TRUE(recorder.changes.empty()) << round;
        }
        ASSERT_EQ(storage.length(), size);
        if (round % 30 == 0) expectRunsAgree(storage, model);
    }
    expectRunsAgree(storage, model);
    EXPECT_GT(storage.runCount(WAttributeName::ForegroundColor), 1000u);
    storage.removeListener(&recorder);
}
