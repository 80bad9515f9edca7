#pragma once

#include <cstdint>
#include <string>
#include <string_view>

class WTextView;

// Key binding scheme, as stored under "key_bind_type".
enum WKeyBind : int32_t {
    WWexelOriginal = 1,
    WEmacsLike = 2,
    WViLike = 3,
    WSystemDefault = 4,
};

// One key press as the binding engine sees it.
struct WKeyEvent {
    // Modifier bits, laid out like the menu key equivalents' masks.
    static constexpr uint32_t ShiftKeyMask = 1u << 17;
    static constexpr uint32_t ControlKeyMask = 1u << 18;
    static constexpr uint32_t AlternateKeyMask = 1u << 19;
    static constexpr uint32_t CommandKeyMask = 1u << 20;

    // What the key gives without Control and Option ("a" for Control-A,
    // U+001B for Escape, "\r" for Return).
    std::u16string charactersIgnoringModifiers;
    uint32_t modifierFlags = 0;
};

// Maps Control keys and the two-stroke sequences of the built-in schemes to
// editing actions of a text view. Its whole state is the previous key: a prefix
// is pending exactly when the previous key was the prefix key, so it lasts for
// one following key and needs no flag or time-out.
class WKeyAssignServer {
public:
    WKeyAssignServer() = default;

    // True when the key was taken and the view must not handle it further.
    bool doneAssignedFunction(const WKeyEvent& event, WTextView& sender);

    bool doneWexelOriginalFunction(std::u16string_view key, uint32_t modifiers, WTextView& sender) const;
    bool doneEmacsLikeFunction(std::u16string_view key, uint32_t modifiers, WTextView& sender) const;
    bool doneViLikeFunction(std::u16string_view key, uint32_t modifiers, WTextView& sender) const;

    // Whether the scheme takes the key for itself when no prefix is pending, so
    // that a menu shortcut on it would never fire from the text. Return counts
    // as taken under the three built-in schemes (it may indent).
    static bool takesKey(int32_t scheme, const WKeyEvent& event);

    const std::u16string& prevCharacter() const { return mPrevCharacter; }
    uint32_t prevModifierFlags() const { return mModifierFlags; }

    // The key character as the tables compare it: upper-cased.
    static std::u16string keyCharacter(std::u16string_view charactersIgnoringModifiers);

private:
    // The schemes' tables; a null sender only answers whether the key is taken.
    bool wexelOriginal(std::u16string_view key, uint32_t modifiers, WTextView* sender) const;
    bool emacsLike(std::u16string_view key, uint32_t modifiers, WTextView* sender) const;
    bool viLike(std::u16string_view key, uint32_t modifiers, WTextView* sender) const;

    std::u16string mPrevCharacter;
    uint32_t mModifierFlags = 0;
};
