#pragma once

#include <QFont>
#include <QObject>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "document/WDocumentData.h"
#include "document/WDocumentScripting.h"
#include "document/WFileIdentity.h"
#include "document/WTextType.h"
#include "search/WSearchCommands.h"
#include "syntax/WColorSyntaxServer.h"
#include "text/WEncoding.h"
#include "text/WRange.h"
#include "text/WTextUtils.h"

class QComboBox;
class QFileSystemWatcher;
class QLineEdit;
class QScrollArea;
class WDocumentWindow;
class WIncompatibleCharactersPanel;
class WMenuItem;
class WMessageBar;
class WTextCanvas;

// One open file, or one new text, with its window. The text in the window is
// always in CR form; opening remembers the file's encoding and line-ending
// kind, and saving writes the text back in them.
class MyDocument : public QObject {
    Q_OBJECT
public:
    MyDocument();
    ~MyDocument() override;

    // Opening, in the order the controller calls them. readFromFile fails with a
    // sentence for the user (and makes nothing) when the file cannot be read.
    // Bytes that are text in no encoding are opened all the same, read-only
    // (see undecodableBytes).
    bool readFromFile(const QString& path, QString* errorMessage);
    bool loadDataRepresentation(std::span<const uint8_t> data, const QString& typeName, QString* errorMessage);
    void windowControllerDidLoadNib();

    // Saving. dataRepresentationOfType answers the bytes or nothing, with a
    // message naming the first character that cannot be written (which is then
    // selected). saveToFile writes them atomically, with the file attributes;
    // only a complete save clears the edited state.
    std::optional<std::vector<uint8_t>> dataRepresentationOfType(const QString& typeName, QString* errorMessage);
    bool saveToFile(const QString& path, QString* errorMessage);
    // False, with the reason for the user, when the file cannot be read or decoded
    // (a read-only text that was read leniently is read so again).
    bool revertToSavedFromFile(const QString& path, const QString& typeName, QString* errorMessage = nullptr);

    // Where the bytes of a file that is text in no encoding are bad; such a
    // document is read-only, shown with a bar saying so, and is never saved
    // over its file. A Save As to another file makes it an ordinary document.
    const std::optional<WUndecodableBytes>& undecodableBytes() const { return mUndecodable; }
    WMessageBar* undecodableBytesBar() const { return mUndecodableBar; }
    // What Save As asks before writing such a text (empty for other documents).
    QString undecodableSaveQuestion() const;

    // Another program's changes to the file. The document remembers which file
    // it last read or saved; when the file on disk is another one by the time
    // the watcher reports or the window comes to the front, a bar above the
    // text says so and offers Reload (as Revert does) or Keep My Text.
    // fileChangedOnDisk says whether Save would replace such a newer file; a
    // file that is gone is not one.
    bool fileChangedOnDisk() const;
    void checkFileOnDisk();
    WMessageBar* fileChangedBar() const { return mFileChangedBar; }

    // Pop-up actions (the item's tag).
    void setCharacterCodeType(int tag);
    void setReturnCodeType(int tag);
    void forceToChangeEncodingDialogEnded(int returnCode);
    // Opens the list of characters the document's encoding cannot save as they are.
    void showIncompatibleCharacters();
    WIncompatibleCharactersPanel* incompatibleCharactersPanel() const { return mIncompatiblePanel; }

    // Text type and per-document settings.
    void setTextTypeWithTypeName(const QString& typeName);
    void setTextType(WTextType type);
    void textTypeMenuSelected(int tag);
    void attachTextTypeMenu();
    void adjustPopupButtons();
    // Makes the colouring engine for the current text type and applies its settings.
    void adjustDocumentSettings();
    // Colours the whole text again.
    void validateColorSyntax();
    // Colours again around an edit: the lines of range, or the whole text when the edit
    // opened or closed a multi-line comment.
    void validateColorSyntax(WRange range);
    void setWordWrapped(bool wrapped);
    void setTextViewFontName(const QString& name);
    void setTextViewFontSize(float size);
    void setAutoIndented(bool indented) { mAutoIndent = indented; }
    // The go-to-line field's action: selects the line whose number leads the text.
    void setCurrentLineOfTextView(const QString& text);

    // Commands of the menus and the context menu (MyDocumentCommands.cpp).
    void toggleStoreWindowStatus() { mStoreWindowStatus = !mStoreWindowStatus; }
    // Colours the whole text again, with the preferences' colours as they are now.
    void redrawColors() { validateColorSyntax(); }
    // Shows the file in the preferred browser, saving unsaved changes first. A
    // document without a file beeps; a browser that cannot be started shows nothing.
    void openWithBrowser();
    // The user's tag file in the application the desktop assigns to it.
    void openUserDefinedTagFile();
    // The counts of the whole text and the selection, on a sheet of the window.
    void showInformationDialog();
    // ~/Library/Wexel/UserDefinedTags.txt, whether it exists or not.
    static QString userDefinedTagFile();

    // The menus' state for this document (MyDocumentMenus.cpp): the check marks
    // of the font menus, which stay as this document left them, and whether an
    // item of a document command may be chosen now.
    void validateMenus();
    void validateFontFamilyMenu();
    void validateFontSizeMenu();
    bool validateMenuItem(WMenuItem& item) const;

    uint32_t documentEncoding() const { return mDocumentEncoding; }
    WReturnCodeType returnCodeType() const { return mReturnCodeType; }
    WTextType textType() const { return mTextType; }
    bool isWordWrapped() const { return mWordWrap; }
    bool isAutoIndented() const { return mAutoIndent; }
    bool storesWindowStatus() const { return mStoreWindowStatus; }
    const QString& textViewFontName() const { return mTextViewFontName; }
    QFont textViewFont() const;
    float textViewFontSize() const { return mTextViewFontSize; }

    // The path of the document's file; empty for a new document.
    const QString& fileName() const { return mFileName; }
    void setFileName(const QString& path);
    QString displayName() const;
    bool isDocumentEdited() const;

    WDocumentWindow* window() const { return myWindow; }
    WTextCanvas* textView() const { return myTextView; }

    // The document type name ("HTML file", ...) that a file's name stands for.
    static QString documentTypeNameForFile(const QString& path);

    // What scripts read and write (MyDocumentScripting.cpp), by property key, on a
    // document with its window. A setter answers the error the script sees (having
    // changed nothing) or nothing.
    using ScriptError = std::optional<WScriptError>;
    QString encoding() const;
    ScriptError setEncoding(const QString& name);
    ScriptError retcode(QString* name) const;
    ScriptError setRetcode(const QString& name);
    ScriptError syntaxtype(QString* name) const;
    ScriptError setSyntaxType(const QString& name);
    QString fontname() const { return mTextViewFontName; }
    void setFontname(const QString& name);
    double fontsize() const { return mTextViewFontSize; }
    ScriptError setFontsize(double size);
    WRange selectedrange() const;
    // A record without one of its two numbers changes nothing.
    ScriptError setSelectedrange(std::optional<int64_t> location, std::optional<int64_t> length);
    bool wordwrap() const { return mWordWrap; }
    void setWordwrap(bool wrapped) { setWordWrapped(wrapped); }
    bool autoindent() const { return mAutoIndent; }
    void setAutoindent(bool indented) { setAutoIndented(indented); }
    QString selectedtext() const;
    // One undoable edit that marks the document edited and recolours its lines.
    void setSelectedtext(const QString& text);
    int64_t selectionLocation() const { return selectedrange().location; }
    ScriptError setSelectionLocation(int64_t location);
    int64_t selectionLength() const { return selectedrange().length; }
    ScriptError setSelectionLength(int64_t length);
    QString text() const;
    WSearchScriptResult handleSearchCommand(const WSearchScriptArguments& arguments) const;
    // One undoable edit that marks the document edited; the selection stays.
    WSearchScriptResult handleReplaceAllCommand(const WSearchScriptArguments& arguments);
    void handleScrollToSelectionCommand();

signals:
    // The window was asked to close; the controller decides (asking about changes).
    void closeRequested(MyDocument* document, bool* accepted);
    void becameMain(MyDocument* document);
    // The file-changed bar's Reload; the controller reverts the way the menu command does.
    void reloadRequested(MyDocument* document);

private:
    // After each change of the text: the characters of oldRange became newLength characters.
    void textDidChange(WRange oldRange, uint32_t newLength);
    void textViewDidChangeSelection();
    void updateWindowTitle();
    bool acceptsEncoding(WStringEncoding encoding);
    void readPreferences();
    void showUndecodableBytes();
    void becomeEditable();
    // The text as it is written: a leniently read one with its U+FFFD as the encoding's stand-in.
    std::u16string textToSave() const;
    WRange storedSelection() const;
    void storeSelection(const QString& path) const;
    // After the file was read or written: this is the version the text stands for.
    void recordFileIdentity();
    void watchFile();
    void showFileChanged(bool exists);
    void hideFileChanged();
    void keepMyText();

    // Outlets of the window.
    WTextCanvas* myTextView = nullptr;
    QComboBox* myCharacterCodePopupButton = nullptr;
    QComboBox* myReturnCodePopupButton = nullptr;
    QComboBox* myTextTypePopupButton = nullptr;
    QLineEdit* myLineNumberView = nullptr;
    WDocumentWindow* myWindow = nullptr;
    WIncompatibleCharactersPanel* mIncompatiblePanel = nullptr;  // owned by the window
    WMessageBar* mUndecodableBar = nullptr;                       // owned by the window
    WMessageBar* mFileChangedBar = nullptr;                       // owned by the window
    QFileSystemWatcher* mFileWatcher = nullptr;                   // a child of the document

    std::optional<std::u16string> mBufString;  // the loaded text, until the window takes it
    std::unique_ptr<WColorSyntaxServer> mColorSyntaxServer;  // made anew by adjustDocumentSettings
    WRange mSelectedRange;  // where the text of the last edit now lies
    uint32_t mDocumentEncoding = WShiftJISEncoding;
    WReturnCodeType mReturnCodeType = WCR_type;
    WTextType mTextType = WTextPlain;
    QString mTextViewFontName;
    float mTextViewFontSize = 12.0f;
    bool mWordWrap = true;
    bool mAutoIndent = true;
    bool mStoreWindowStatus = true;

    QString mFileName;
    std::optional<WUndecodableBytes> mUndecodable;  // set while the text was read leniently
    std::optional<WFileIdentity> mFileIdentity;     // the file as last read or saved
    std::optional<WFileIdentity> mFileOnDisk;       // as the file-changed bar last found it
    bool mFileChangeKept = false;                   // Keep My Text was chosen over mFileOnDisk
};
