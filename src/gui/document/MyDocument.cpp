#include "document/MyDocument.h"

#include <QComboBox>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QFont>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QShortcut>

#include <algorithm>
#include <charconv>

#include "app/WApplicationDel.h"
#include "app/WPresenter.h"
#include "app/WQtPlatform.h"
#include "document/WCharacterCheck.h"
#include "document/WDocumentCore.h"
#include "document/WDocumentData.h"
#include "document/WDocumentWindow.h"
#include "menus/WMenuTitles.h"
#include "document/WIncompatibleCharactersPanel.h"
#include "document/WMessageBar.h"
#include "editor/WTextViewController.h"
#include "canvas/WTextCanvas.h"
#include "menus/WDocumentMenuResponder.h"
#include "menus/WMenuShortcuts.h"
#include "platform/WLog.h"
#include "platform/WPlatform.h"

namespace {
// Positions of the character-code pop-up, in order.
constexpr WStringEncoding kEncodingsByTag[] = {WShiftJISEncoding, WJISEncoding, WEUCEncoding, WUTF8Encoding,
                                               WUTF16Encoding};
// Positions of the line-ending pop-up: LF first.
constexpr WReturnCodeType kReturnCodesByTag[] = {WLF_type, WCR_type, WCRLF_type};

// The text-type pop-up, in menu order; 0 stands for a separator.
constexpr int kTextTypeMenu[] = {WTextPlain, WTextHTML,  WTextCSS,         WTextPHP,         WTextRubyScript,
                                 WTextPerlScript, 0,      WTextIndex, WTextWexelMarkup};

}  // namespace

MyDocument::MyDocument()
{
    readPreferences();
}

MyDocument::~MyDocument()
{
    if (myWindow) {
        myWindow->shouldClose = nullptr;
        delete myWindow;
    }
}

void MyDocument::readPreferences()
{
    // Copied once: later changes of the preferences reach only new documents.
    const WDocumentCore::Preferences preferences = WDocumentCore::documentPreferences();
    mWordWrap = preferences.wordWrap;
    mAutoIndent = preferences.autoIndent;
    mStoreWindowStatus = preferences.storeWindowStatus;
    mTextViewFontName = QString::fromStdString(preferences.fontName);
    mTextViewFontSize = preferences.fontSize;
}

// ---- opening -------------------------------------------------------------------------------

bool MyDocument::readFromFile(const QString& path, QString* errorMessage)
{
    auto bytes = WDocumentCore::readFile(path, errorMessage);
    if (!bytes)
        return false;
    // Named first, so that a failure can say which file it was.
    setFileName(QFileInfo(path).absoluteFilePath());
    recordFileIdentity();
    return loadDataRepresentation(*bytes, documentTypeNameForFile(path), errorMessage);
}

bool MyDocument::loadDataRepresentation(std::span<const uint8_t> data, const QString& typeName,
                                        QString* errorMessage)
{
    auto opened = WDocumentCore::openBytes(data, mFileName, errorMessage);
    if (!opened) {
        // Text in no encoding: shown all the same, read-only, rather than not at all.
        opened = WDocumentData::openDataLeniently(data);
        if (!opened->undecodable)
            return false;
        WLog::write("MyDocument::loadDataRepresentation - opened read-only: "
                    + std::to_string(opened->undecodable->count) + " bytes are not text.");
        if (errorMessage)
            errorMessage->clear();
    }
    mUndecodable = opened->undecodable;
    mDocumentEncoding = opened->encoding;
    mReturnCodeType = opened->returnCodeType;
    mBufString = std::move(opened->text);
    setTextTypeWithTypeName(typeName);
    return true;
}

void MyDocument::windowControllerDidLoadNib()
{
    myWindow = new WDocumentWindow;
    myTextView = myWindow->textView();
    myCharacterCodePopupButton = myWindow->characterCodePopupButton();
    myReturnCodePopupButton = myWindow->returnCodePopupButton();
    myTextTypePopupButton = myWindow->textTypePopupButton();
    myLineNumberView = myWindow->lineNumberView();

    connect(myCharacterCodePopupButton, &QComboBox::activated, this,
            [this](int index) { setCharacterCodeType(myCharacterCodePopupButton->itemData(index).toInt()); });
    connect(myReturnCodePopupButton, &QComboBox::activated, this,
            [this](int index) { setReturnCodeType(myReturnCodePopupButton->itemData(index).toInt()); });
    connect(myTextTypePopupButton, &QComboBox::activated, this,
            [this](int index) { textTypeMenuSelected(myTextTypePopupButton->itemData(index).toInt()); });
    connect(myTextView, &WTextCanvas::textReplaced, this, &MyDocument::textDidChange);
    connect(myTextView, &WTextCanvas::cursorPositionChanged, this, &MyDocument::textViewDidChangeSelection);
    connect(myTextView, &WTextCanvas::selectionChanged, this, &MyDocument::textViewDidChangeSelection);
    connect(myTextView, &WTextCanvas::editedChanged, this, &MyDocument::updateWindowTitle);
    connect(myWindow, &WDocumentWindow::becameMain, this, [this] {
        validateMenus();
        checkFileOnDisk();
        emit becameMain(this);
    });
    mFileWatcher = new QFileSystemWatcher(this);
    connect(mFileWatcher, &QFileSystemWatcher::fileChanged, this, &MyDocument::checkFileOnDisk);
    mIncompatiblePanel = new WIncompatibleCharactersPanel(
        myTextView, myWindow->incompatibleCharactersButton(),
        [this] { return static_cast<WStringEncoding>(mDocumentEncoding); }, myWindow);
    myWindow->addDockWidget(Qt::BottomDockWidgetArea, mIncompatiblePanel);
    myWindow->shouldClose = [this] {
        bool accepted = true;
        emit closeRequested(this, &accepted);
        return accepted;
    };

    if (auto* application = WApplicationDel::shared()) {
        for (QMenu* menu : application->mainMenus())
            myWindow->menuBar()->addMenu(menu);
    }

    myTextView->setFont(textViewFont());

    if (!mBufString) {
        myTextView->loadString(u"");
    } else {
        myTextView->loadString(std::move(*mBufString));
        myTextView->setSelectedRange(storedSelection());
        mBufString.reset();
    }
    if (mUndecodable)
        showUndecodableBytes();
    mIncompatiblePanel->refresh();

    // Menu commands for this document (add-ons, fonts) reach it through its window.
    WDocumentMenuResponder::attach(this);
    // Keys through the key scheme, drops, the context menu and the navigator beneath the text.
    WTextViewController::installInDocument(*this);

    setWordWrapped(mWordWrap);
    adjustDocumentSettings();
    validateColorSyntax();
    attachTextTypeMenu();
    adjustPopupButtons();
    myLineNumberView->setText(QStringLiteral("1"));
    textViewDidChangeSelection();

    // Every window opens at the same place; no position is remembered.
    myWindow->resize(600, 600);
    myWindow->move(30, 30);
    updateWindowTitle();
    myWindow->show();
    myTextView->setFocus();
    watchFile();
    if (mUndecodable)
        myTextView->scrollRangeToVisible(mUndecodable->range);
}

void MyDocument::showUndecodableBytes()
{
    myTextView->setEditable(false);
    mIncompatiblePanel->setSavedForm(&WDocumentData::withReplacementCharacters);
    const QString message = QString::fromStdString(
        WDocumentData::undecodableMessage(*mUndecodable, static_cast<WStringEncoding>(mDocumentEncoding)));
    if (mUndecodableBar) {
        mUndecodableBar->setMessage(message);  // the file was read again
    } else {
        mUndecodableBar = new WMessageBar(message);
        mUndecodableBar->setObjectName(QStringLiteral("undecodableBytesBar"));
        mUndecodableBar->addButton(tr("Show First Bad Byte"), [this] {
            if (!mUndecodable)
                return;
            myTextView->setSelectedRange(mUndecodable->range);
            myTextView->scrollRangeToVisible(mUndecodable->range);
            myTextView->setFocus();
        });
        myWindow->addBarAboveText(mUndecodableBar);
    }
    // The first bad byte is where the reader starts.
    myTextView->setSelectedRange(mUndecodable->range);
    updateWindowTitle();
}

void MyDocument::becomeEditable()
{
    if (!mUndecodable)
        return;
    mUndecodable.reset();
    if (mUndecodableBar) {
        mUndecodableBar->hide();
        mUndecodableBar->deleteLater();
        mUndecodableBar = nullptr;
    }
    myTextView->setEditable(true);
    updateWindowTitle();
    mIncompatiblePanel->setSavedForm(nullptr);
}

QString MyDocument::undecodableSaveQuestion() const
{
    if (!mUndecodable)
        return {};
    const auto encoding = static_cast<WStringEncoding>(mDocumentEncoding);
    const char16_t stand = WDocumentData::replacementCharacter(encoding);
    const uint64_t count = mUndecodable->count;
    const QString bad = count == 1 ? tr("the byte that is not text")
                                   : tr("each of the %1 bytes that are not text").arg(count);
    return tr("The text of “%1” is saved to another file in %2, and %3 is saved as the replacement "
                          "character %4 (U+%5). The file “%1” itself is left as it is.")
        .arg(displayName(), QString::fromUtf8(WDocumentData::encodingTitle(encoding).data()), bad,
             QString(QChar(stand)), QString::number(stand, 16).toUpper());
}

std::u16string MyDocument::textToSave() const
{
    if (!mUndecodable)
        return myTextView->string();
    return WDocumentData::withReplacementCharacters(myTextView->string(), static_cast<WStringEncoding>(mDocumentEncoding));
}

WRange MyDocument::storedSelection() const
{
    if (!mStoreWindowStatus || mFileName.isEmpty())
        return {0, 0};
    // A range from an older version of the file may reach past its end now.
    return WDocumentCore::readSelectionAttribute(mFileName, myTextView->textStorage().length())
        .value_or(WRange{0, 0});
}

// ---- saving --------------------------------------------------------------------------------

std::optional<std::vector<uint8_t>> MyDocument::dataRepresentationOfType(const QString&, QString* errorMessage)
{
    WSavedText saved = mUndecodable
                           ? WDocumentCore::saveText(textToSave(), mDocumentEncoding, mReturnCodeType, errorMessage)
                           : WDocumentCore::saveText(myTextView->string(), mDocumentEncoding, mReturnCodeType,
                                                     errorMessage);
    if (saved.failure) {
        // Show the user the character that stopped the save.
        myTextView->setSelectedRange(saved.failure->range);
        myTextView->scrollRangeToVisible(saved.failure->range);
        return std::nullopt;
    }
    return std::move(saved.bytes);
}

bool MyDocument::saveToFile(const QString& path, QString* errorMessage)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    // Its bad bytes would be lost for good: the file keeps them.
    if (mUndecodable && WDocumentCore::isSameFile(absolute, mFileName)) {
        const QString refusal =
            tr("“%1” was opened read-only because it has bytes that are not valid text; saving over it "
                           "would replace them. Use Save As to save the text to another file.")
                .arg(QFileInfo(mFileName).fileName());
        WLog::write("MyDocument::saveToFile - " + refusal.toStdString());
        if (errorMessage)
            *errorMessage = refusal;
        return false;
    }
    auto bytes = dataRepresentationOfType(documentTypeNameForFile(path), errorMessage);
    if (!bytes)
        return false;
    const bool known = absolute == mFileName && WFileIdentity::of(absolute.toStdString()) == mFileIdentity;
    if (!WDocumentCore::writeFile(absolute, *bytes, errorMessage)) {
        // A failed write in place has put the old bytes back, at a new time: still the file we know.
        if (known)
            recordFileIdentity();
        return false;
    }
    if (mUndecodable) {
        // The text becomes what the new file holds, an ordinary editable one.
        const std::u16string saved = textToSave();
        if (saved != myTextView->string()) {
            const WRange selection = myTextView->selectedRange();
            myTextView->loadString(saved);
            myTextView->setSelectedRange(selection);
        }
        becomeEditable();
    }
    WDocumentCore::writeFileAttributes(absolute, myTextView->selectedRange());
    // The text type stays as it was under the new name: it changes only on
    // opening, from the pop-up and by scripting.
    setFileName(absolute);
    // The file just written is ours: neither the watcher's report of it nor the next check is a change.
    recordFileIdentity();
    myTextView->setEdited(false);
    return true;
}

// ---- reverting and the pop-ups ----------------------------------------------------------------

bool MyDocument::revertToSavedFromFile(const QString& path, const QString& typeName, QString* errorMessage)
{
    QString error;
    auto bytes = WDocumentCore::readFile(path, &error);
    std::optional<WOpenedText> opened;
    if (bytes)
        opened = WDocumentCore::openBytes(*bytes, path, &error);
    // A read-only text is read again the way it was first read.
    if (!opened && bytes && mUndecodable)
        opened = WDocumentData::openDataLeniently(*bytes);
    if (!opened) {
        WLog::write("MyDocument::revertToSavedFromFile - " + error.toStdString());
        if (errorMessage)
            *errorMessage = error;
        return false;
    }
    // An empty file says nothing about its encoding: the current one stays.
    if (!bytes->empty())
        mDocumentEncoding = opened->encoding;
    mReturnCodeType = opened->returnCodeType;
    myTextView->loadString(std::move(opened->text));
    myTextView->setSelectedRange({0, 0});
    recordFileIdentity();
    if (opened->undecodable) {
        mUndecodable = opened->undecodable;
        showUndecodableBytes();
    } else {
        becomeEditable();
    }
    adjustPopupButtons();
    setTextTypeWithTypeName(typeName);
    validateColorSyntax();
    mIncompatiblePanel->refresh();
    return true;
}

void MyDocument::setCharacterCodeType(int tag)
{
    if (tag < 0 || tag >= static_cast<int>(std::size(kEncodingsByTag)))
        return;
    const bool reload = !mFileName.isEmpty() && WPlatform::shared().isShiftKeyDown();
    if (!reload && !acceptsEncoding(kEncodingsByTag[tag])) {
        adjustPopupButtons();
        return;
    }
    // Takes effect at the next save; the text stays as it is.
    mDocumentEncoding = kEncodingsByTag[tag];
    if (mIncompatiblePanel)
        mIncompatiblePanel->refresh();
    if (!reload)
        return;
    WPresenter::shared().askLater(
        myWindow, tr("Alert"),
        tr("Reload this document and force to convert into the selected character code.\n"
                       "Your changes will be lost."),
        {tr("OK"), tr("Cancel")},
        [document = QPointer<MyDocument>(this)](int button) {
            if (document)
                document->forceToChangeEncodingDialogEnded(button == 0 ? 1 : 0);
        });
}

// Choosing an encoding that cannot hold the text says so at once, with the
// first such character, and offers to keep the encoding the document has.
bool MyDocument::acceptsEncoding(WStringEncoding encoding)
{
    if (!myTextView || encoding == mDocumentEncoding)
        return true;
    size_t lost = 0;
    std::optional<WCharacterProblem> first;
    // A leniently read text is judged as it would be written, bad bytes as stand-ins.
    const std::u16string asSaved =
        mUndecodable ? WDocumentData::withReplacementCharacters(myTextView->string(), encoding) : std::u16string();
    const std::u16string_view text = mUndecodable ? std::u16string_view(asSaved) : myTextView->string();
    for (const WCharacterProblem& problem : WCharacterCheck::problems(text, encoding)) {
        if (problem.fate != WEncodingRepertoire::Fate::Lost)
            continue;
        if (!first)
            first = problem;
        ++lost;
    }
    if (!first)
        return true;
    const QString chosen = QString::fromUtf8(WDocumentData::encodingTitle(encoding).data());
    const QString current =
        QString::fromUtf8(WDocumentData::encodingTitle(static_cast<WStringEncoding>(mDocumentEncoding)).data());
    QPointer<MyDocument> alive(this);
    const int button = WPresenter::shared().ask(
        myWindow, tr("%1 cannot hold this text").arg(chosen),
        tr("%1 of the text cannot be saved in %2, the first “%3” on line %4, column %5. "
                       "Saving in %2 will fail until they are changed.")
            .arg(lost == 1 ? tr("1 character") : tr("%1 characters").arg(lost), chosen,
                 QString::fromStdString(WCharacterCheck::characterName(first->character)))
            .arg(first->line)
            .arg(first->column),
        {tr("Keep %1").arg(current), tr("Use %1").arg(chosen)});
    return alive && button == 1;
}

void MyDocument::showIncompatibleCharacters()
{
    if (!mIncompatiblePanel)
        return;
    mIncompatiblePanel->refresh();
    mIncompatiblePanel->show();
    mIncompatiblePanel->raise();
}

void MyDocument::forceToChangeEncodingDialogEnded(int returnCode)
{
    if (returnCode != 1)
        return;
    QString error;
    auto bytes = WDocumentCore::readFile(mFileName, &error);
    std::optional<std::u16string> text;
    if (bytes)
        text = WDocumentCore::reloadBytes(*bytes, mDocumentEncoding, mFileName, &error);
    if (!text) {
        // Leave the text alone: the user keeps what is on screen.
        WPresenter::shared().showError(
            myWindow, tr("The document “%1” could not be reloaded.").arg(displayName()),
            error.contains(QStringLiteral("left as it was")) ? error
                                                             : error + tr(" The text was left as it was."));
        return;
    }
    // Read in that encoding the bytes are text after all.
    becomeEditable();
    recordFileIdentity();
    // The line-ending kind stays what the document had.
    myTextView->setString(*text);
    myTextView->setSelectedRange({0, 0});
    validateColorSyntax();
}

void MyDocument::setReturnCodeType(int tag)
{
    if (tag < 0 || tag >= static_cast<int>(std::size(kReturnCodesByTag)))
        return;
    mReturnCodeType = kReturnCodesByTag[tag];
}

// ---- text type and settings -------------------------------------------------------------------

void MyDocument::setTextTypeWithTypeName(const QString& typeName)
{
    if (auto type = WTextTypeNames::fromDocumentTypeName(typeName.toStdString()))
        mTextType = *type;
}

void MyDocument::setTextType(WTextType type)
{
    mTextType = type;
    adjustPopupButtons();
}

void MyDocument::textTypeMenuSelected(int tag)
{
    setTextType(static_cast<WTextType>(tag));
    adjustDocumentSettings();
    validateColorSyntax();
}

// The text types' titles, for the translations: most are names and stay as
// they are.
[[maybe_unused]] const char* const kTextTypeTitles[] = {
    QT_TRANSLATE_NOOP("MyDocument", "Plain"),    QT_TRANSLATE_NOOP("MyDocument", "X/HTML"),
    QT_TRANSLATE_NOOP("MyDocument", "Indexed"),  QT_TRANSLATE_NOOP("MyDocument", "w-markup"),
    QT_TRANSLATE_NOOP("MyDocument", "CSS"),      QT_TRANSLATE_NOOP("MyDocument", "perl"),
    QT_TRANSLATE_NOOP("MyDocument", "PHP"),      QT_TRANSLATE_NOOP("MyDocument", "ruby")};

void MyDocument::attachTextTypeMenu()
{
    myTextTypePopupButton->clear();
    for (int tag : kTextTypeMenu) {
        if (tag == 0) {
            myTextTypePopupButton->insertSeparator(myTextTypePopupButton->count());
            continue;
        }
        const auto type = static_cast<WTextType>(tag);
        myTextTypePopupButton->addItem(tr(WTextTypeNames::popupTitle(type).data()), tag);
        if (const std::string_view key = WTextTypeNames::keyEquivalent(type); !key.empty()) {
            auto* shortcut = new QShortcut(myWindow);
            WMenuShortcuts::setShortcuts(shortcut, {QKeySequence(QStringLiteral("Ctrl+") + QString::fromUtf8(key))});
            connect(shortcut, &QShortcut::activated, this, [this, tag] { textTypeMenuSelected(tag); });
        }
    }
}

void MyDocument::adjustPopupButtons()
{
    if (!myWindow)
        return;
    for (int tag = 0; tag < static_cast<int>(std::size(kEncodingsByTag)); ++tag) {
        if (kEncodingsByTag[tag] == mDocumentEncoding)
            myCharacterCodePopupButton->setCurrentIndex(tag);
    }
    for (int tag = 0; tag < static_cast<int>(std::size(kReturnCodesByTag)); ++tag) {
        if (kReturnCodesByTag[tag] == mReturnCodeType)
            myReturnCodePopupButton->setCurrentIndex(tag);
    }
    // No item for a type without one (shell scripts): nothing selected.
    myTextTypePopupButton->setCurrentIndex(myTextTypePopupButton->findData(static_cast<int>(mTextType)));
}

// adjustDocumentSettings and validateColorSyntax are in MyDocumentColoring.cpp.

void MyDocument::setWordWrapped(bool wrapped)
{
    mWordWrap = wrapped;
    if (myTextView)
        myTextView->setWordWrap(wrapped);
}

QFont MyDocument::textViewFont() const
{
    return WQtPlatform::fontNamed(mTextViewFontName, mTextViewFontSize);
}

void MyDocument::setTextViewFontName(const QString& name)
{
    mTextViewFontName = name;
    if (myTextView)
        myTextView->setFont(textViewFont());
    validateFontFamilyMenu();
}

void MyDocument::setTextViewFontSize(float size)
{
    mTextViewFontSize = size;
    if (myTextView)
        myTextView->setFont(textViewFont());
    validateFontSizeMenu();
}

void MyDocument::setCurrentLineOfTextView(const QString& text)
{
    const QString trimmed = text.trimmed();
    WTextViewController* controller = WTextViewController::controllerOf(myTextView);
    if (!trimmed.isEmpty() && controller) {
        // The leading integer of the text; 0 when there is none. Numbers past
        // the range of a line number stay out of range rather than wrap.
        const std::string digits = trimmed.toStdString();
        uint64_t line = 0;
        const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), line);
        if (error == std::errc::result_out_of_range)
            line = UINT32_MAX;
        controller->textView().selectLineOf(static_cast<uint32_t>(std::min<uint64_t>(line, UINT32_MAX)));
    }
    if (auto* application = WApplicationDel::shared())
        application->hideGotoLineWindow();
}

// ---- the file behind the document's back --------------------------------------------------------

void MyDocument::recordFileIdentity()
{
    mFileIdentity = WFileIdentity::of(mFileName.toStdString());
    mFileOnDisk = mFileIdentity;
    mFileChangeKept = false;
    hideFileChanged();
    watchFile();
}

void MyDocument::watchFile()
{
    if (!mFileWatcher)
        return;
    // A save or another program's rename puts a new file under the name, and the
    // watcher lets go of the old one: watch whatever the name is now.
    if (!mFileWatcher->files().isEmpty())
        mFileWatcher->removePaths(mFileWatcher->files());
    if (!mFileName.isEmpty() && QFileInfo::exists(mFileName))
        mFileWatcher->addPath(mFileName);
}

bool MyDocument::fileChangedOnDisk() const
{
    if (mFileName.isEmpty() || !mFileIdentity)
        return false;
    const std::optional<WFileIdentity> now = WFileIdentity::of(mFileName.toStdString());
    return now && *now != *mFileIdentity;
}

void MyDocument::checkFileOnDisk()
{
    if (mFileName.isEmpty() || !myWindow)
        return;
    watchFile();
    const std::optional<WFileIdentity> now = WFileIdentity::of(mFileName.toStdString());
    if (now == mFileIdentity) {
        // The file we know after all (moved away and back, say).
        mFileOnDisk = now;
        mFileChangeKept = false;
        hideFileChanged();
        return;
    }
    // The user kept their text over this very version; say it again only for the next one.
    if (mFileChangeKept && now == mFileOnDisk)
        return;
    mFileOnDisk = now;
    mFileChangeKept = false;
    showFileChanged(now.has_value());
}

void MyDocument::showFileChanged(bool exists)
{
    if (!mFileChangedBar) {
        mFileChangedBar = new WMessageBar(QString());
        mFileChangedBar->setObjectName(QStringLiteral("fileChangedBar"));
        mFileChangedBar->addButton(tr("Reload"), [this] { emit reloadRequested(this); });
        mFileChangedBar->addButton(tr("Keep My Text"), [this] { keepMyText(); });
        myWindow->addBarAboveText(mFileChangedBar);
    }
    mFileChangedBar->setMessage(exists ? tr("“%1” was changed by another program.").arg(displayName())
                                       : tr("“%1” was deleted or moved by another program.")
                                             .arg(displayName()));
    // There is nothing to reload from a file that is gone.
    mFileChangedBar->button(tr("Reload"))->setVisible(exists);
    mFileChangedBar->show();
}

void MyDocument::hideFileChanged()
{
    if (mFileChangedBar)
        mFileChangedBar->hide();
}

void MyDocument::keepMyText()
{
    mFileChangeKept = true;
    hideFileChanged();
    // The text is no longer what the file holds: closing asks before it is lost.
    myTextView->setEdited(true);
}

// ---- notifications and naming -----------------------------------------------------------------

void MyDocument::textDidChange(WRange oldRange, uint32_t newLength)
{
    mSelectedRange = {oldRange.location, newLength};
    validateColorSyntax(mSelectedRange);
}

void MyDocument::textViewDidChangeSelection()
{
    myLineNumberView->setText(QString::number(myTextView->lineNumberAt(myTextView->selectedRange().location)));
    const uint32_t caret = myTextView->caretLocation();
    myWindow->setCaretPosition(myTextView->lineNumberAt(caret), myTextView->columnAt(caret));
}

void MyDocument::setFileName(const QString& path)
{
    mFileName = path;
    updateWindowTitle();
}

QString MyDocument::displayName() const
{
    if (!mFileName.isEmpty())
        return QFileInfo(mFileName).fileName();
    return property("untitledName").toString().isEmpty() ? tr("Untitled")
                                                          : property("untitledName").toString();
}

bool MyDocument::isDocumentEdited() const
{
    return myTextView && myTextView->isEdited();
}

void MyDocument::updateWindowTitle()
{
    if (!myWindow)
        return;
    // The name, the modified mark ([*] becomes "*" while edited) and the folder.
    QString title = displayName() + (mUndecodable ? tr(" (read-only)") : QString())
                    + QStringLiteral("[*]");
    if (!mFileName.isEmpty())
        title += QStringLiteral(" — ") + WMenuTitles::folderForDisplay(mFileName);
    myWindow->setWindowTitle(title);
    myWindow->setWindowModified(isDocumentEdited());
    myWindow->setWindowFilePath(mFileName);
}

QString MyDocument::documentTypeNameForFile(const QString& path)
{
    return QString::fromUtf8(WTextTypeNames::documentTypeNameForPath(path.toStdString()));
}
