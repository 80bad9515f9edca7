#pragma once

#include <QPlainTextEdit>

#include <functional>
#include <map>
#include <optional>
#include <string>

#include "editor/WTextViewPlatform.h"
#include "syntax/WTextStorage.h"

// The document's text on screen. Qt keeps the text with '\n' between blocks
// (and a few units as stand-ins, see WStandInCharacters);
// the rest of the editor sees it in CR form through the mirror kept in
// textStorage(), updated from every change of the QTextDocument, so the two
// never disagree and every edit path (typing, undo, paste, drop, commands)
// reaches the same notifications.
class WTextViewWidget : public QPlainTextEdit, public WTextViewPlatform {
    Q_OBJECT
public:
    using StandardAction = std::function<void(WTextViewWidget&)>;
    using KeyRouter = std::function<bool(QKeyEvent*)>;

    explicit WTextViewWidget(QWidget* parent = nullptr);
    ~WTextViewWidget() override;

    // WTextViewPlatform
    const std::u16string& string() const override { return mStorage.string(); }
    WRange selectedRange() const override;
    void setSelectedRange(WRange range) override;
    void insertText(std::u16string_view text) override;
    void setString(std::u16string_view text) override;
    void scrollRangeToVisible(WRange range) override;
    bool hasMarkedText() const override;
    void performStandardAction(std::string_view action) override;

    // The text with its colour runs, CR form.
    // Where the caret is: the end of the selection that moves.
    uint32_t caretLocation() const;
    WTextStorage& textStorage() { return mStorage; }
    const WTextStorage& textStorage() const { return mStorage; }

    // Replaces the characters of range (kept inside the text) outside the typing
    // path, as one undo step of its own; the document hears of it like any edit.
    void replaceCharactersInRange(WRange range, std::u16string_view text);

    // Puts a freshly loaded text in, with an empty undo history and unmodified.
    void loadString(std::u16string_view text);

    // Whether the text differs from what was last loaded or saved; undoing back
    // to that point clears it again.
    bool isEdited() const;
    void setEdited(bool edited);
    bool canUndo() const;

    // A view that is not editable can be read, selected and copied, but typing,
    // commands, drops and scripts leave its text alone (they beep); only
    // loadString changes it.
    void setEditable(bool editable);
    bool isEditable() const { return !isReadOnly(); }

    // Adds or replaces what a standard action name does in this view.
    static void registerStandardAction(const std::string& name, StandardAction action);
    // The key scheme's say before Qt's own key handling; answers true when it took the key.
    void setKeyRouter(KeyRouter router) { mKeyRouter = std::move(router); }

signals:
    // After each change of the text: the characters of oldRange were replaced by
    // newLength characters (the mirror already holds the new text).
    void textReplaced(WRange oldRange, uint32_t newLength);
    // When the text becomes edited or no longer is.
    void editedChanged(bool edited);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    QMimeData* createMimeDataFromSelection() const override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    // True, after a beep, when the text may not be changed.
    bool refusesEdit(std::string_view what) const;
    void unmarkTypingFormat();
    void documentContentsChanged(int position, int charsRemoved, int charsAdded);
    // The one place where the CR-form mirror follows the QTextDocument.
    void updateMirror(uint32_t position, uint32_t removed, uint32_t added);
    std::u16string documentText(uint32_t position, uint32_t length) const;

    WTextStorage mStorage;
    KeyRouter mKeyRouter;
};
