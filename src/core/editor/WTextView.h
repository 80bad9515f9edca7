#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "editor/WKeyAssignServer.h"
#include "editor/WTextViewPlatform.h"
#include "menus/WMenu.h"
#include "menus/WResponder.h"
#include "text/WColor.h"
#include "text/WRange.h"

// Where the selection goes after a tag insertion.
enum WInsertedSelectionType : int32_t {
    WSelectBeginingOfInsersionPoint = 1,
    WSelectEndOfInsertionPoint = 2,
    WSelectWholeInsertionPoint = 3,
    WSelectInsideInsertionPoint = 4,
};

// The texts of one tag menu item; a missing text is absent.
struct WTagItem {
    std::optional<std::u16string> pre;
    std::optional<std::u16string> post;
    std::optional<std::u16string> single;
    std::optional<std::u16string> select;  // "pre", "post", "all" or "inside"

    // "pre" 1, "post" 2, "inside" 4; anything else, or nothing, selects all (3).
    static WInsertedSelectionType insertionTypeForSelect(const std::optional<std::u16string>& select);
    // The texts attached to a tag menu item.
    static WTagItem fromMenuItem(const WMenuItem& item);
};

// What a drag carries and what its source allows.
struct WDragInfo {
    std::optional<WColor> color;
    std::vector<std::filesystem::path> fileNames;  // absolute paths
    std::vector<std::u16string> urls;
    std::optional<std::u16string> text;
    bool allowsCopy = false;
    bool allowsLink = false;
};

enum class WDragOperation {
    None,
    Copy,
    Link,
    Standard,  // whatever the text widget itself answers
};

// The result of a drop: what the view did, and what it leaves to the widget's
// own drop handling (which inserts at the drop point).
struct WDropOutcome {
    bool handled = false;                               // the view inserted something itself
    std::optional<std::u16string> standardText;         // drop this text the standard way
    std::vector<std::filesystem::path> standardFiles;   // clipping files, for the standard drop
    bool standardDrop = false;                          // hand the drop, unchanged, to the widget
};

// The editing commands of a document's text view. Every change of text goes
// through the view's insertion, so the widget's undo takes it back like typing.
// As a responder it takes the menu commands meant for the focused text.
class WTextView : public WResponder {
public:
    // What the view asks of its document and of the preferences; each is read
    // when needed, so changes take effect at once.
    struct Hooks {
        std::function<int32_t()> keyBindType;          // "key_bind_type"; 1 when unset
        std::function<bool()> isAutoIndented;          // the document's switch; off when unset
        std::function<void()> saveDocument;
        std::function<std::optional<std::filesystem::path>()> documentFileName;  // none while untitled
        std::function<bool()> useXhtmlSyntax;          // "use_xhtml_syntax"; on when unset
    };

    explicit WTextView(WTextViewPlatform& view, Hooks hooks = {});

    WTextViewPlatform& platformView() { return mView; }
    Hooks& hooks() { return mHooks; }
    WKeyAssignServer& keyAssignServer() { return mKeyAssignServer; }

    // Key routing: true when the key was taken; false sends it to the widget's
    // standard handling.
    bool keyDown(const WKeyEvent& event);

    // Sends an action by name: the view's own commands run here, everything
    // else is a standard action of the widget.
    void performAction(std::string_view action);
    static bool isOwnAction(std::string_view action);

    // Menu commands: the own commands, the insertions carried by menu items
    // ("insertMenuTag:", "insertMenuURL:") and the widget's standard actions.
    bool tryToPerform(std::string_view action, WMenuItem* sender) override;
    bool respondsToAction(std::string_view action) const override;

    // The context menu of the text: clipboard commands, information, and the
    // tag, bookmark and tools submenus, built afresh at each request.
    std::unique_ptr<WMenu> menuForEvent() const;

    int32_t keyBindType() const;
    bool isAutoIndented() const;
    void saveDocument();

    // Typing.
    void insertText(std::u16string_view text);

    // Line and block commands.
    void autoIndent();
    void shiftRight();
    void shiftLeft();
    void wrapWithReturn();
    void removeReturns();
    bool selectLineOf(uint32_t line);
    bool selectLineTopOf(uint32_t line);
    void moveForwardAndModifySelection_wexel();
    void moveBackwardAndModifySelection_wexel();
    void moveToBeginningOfParagraphAndModifySelection();
    void moveToEndOfParagraphAndModifySelection();
    void doSample();

    // Insertions.
    void insertTagsWithPrefix(std::u16string_view prefix, std::u16string_view suffix,
                              const std::optional<std::u16string>& single, int32_t insertion);
    void insertTagsWithPrefix(std::u16string_view prefix, std::u16string_view suffix);
    void insertMenuTag(const WTagItem& item);
    void insertMenuTag(const WMenuItem& item);
    void insertMenuURL(std::u16string_view url);
    void insertMenuURL(const WMenuItem& item);
    void insertURL(std::u16string_view url);
    void insertImageTag(const std::filesystem::path& image);
    void insertColorString(const WColor& color);
    void insertRelativePath(const std::filesystem::path& file);
    bool insertTextOfFile(const std::filesystem::path& file);

    // Drag and drop.
    static WDragOperation draggingUpdated(const WDragInfo& drag);
    static WDragOperation draggingEntered(const WDragInfo& drag) { return draggingUpdated(drag); }
    WDropOutcome concludeDragOperation(const WDragInfo& drag);
    // A clipboard file of the classic desktop, known by its type and creator codes.
    static bool isClippingFile(const std::filesystem::path& file);

    // Whole lines holding the range, line ends included.
    static WRange lineRangeForRange(std::u16string_view text, WRange range);
    // Every line of the text with its line end; an empty text is one empty line.
    static std::vector<WRange> rangesOfLines(std::u16string_view text);
    static bool isLineEnd(char16_t unit);

private:
    // Rewrites each line of the block that the shift commands work on and
    // leaves the block selected.
    void rewriteShiftBlockLines(void (*rewriteLine)(std::u16string& line));
    std::u16string pathText(const std::filesystem::path& file) const;
    std::optional<std::u16string> documentPathText() const;

    WTextViewPlatform& mView;
    Hooks mHooks;
    WKeyAssignServer mKeyAssignServer;
};
