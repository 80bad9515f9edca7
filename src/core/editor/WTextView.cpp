#include "editor/WTextView.h"

#include <sys/xattr.h>

#include <array>
#include <cstdio>

#include "document/WDocumentData.h"
#include "menus/WMenuUtils.h"
#include "platform/WFileRead.h"
#include "platform/WLog.h"
#include "platform/WPlatform.h"
#include "text/WStringUtils.h"

namespace {

constexpr uint32_t kWrapWidth = 60;

std::u16string linkPrefix(std::u16string_view target)
{
    std::u16string prefix = u"<a href=\"";
    prefix += target;
    prefix += u"\">";
    return prefix;
}

constexpr std::u16string_view kLinkSuffix = u"</a>";

std::u16string decimal(int value)
{
    return WStringUtils::fromUtf8(std::to_string(value));
}

std::u16string withoutLineFeeds(std::u16string_view text)
{
    if (text.find(u'\n') == std::u16string_view::npos)
        return std::u16string(text);
    return WStringUtils::convertReturnsToCR(text);
}

}  // namespace

WInsertedSelectionType WTagItem::insertionTypeForSelect(const std::optional<std::u16string>& select)
{
    if (!select)
        return WSelectWholeInsertionPoint;
    if (*select == u"pre")
        return WSelectBeginingOfInsersionPoint;
    if (*select == u"post")
        return WSelectEndOfInsertionPoint;
    if (*select == u"inside")
        return WSelectInsideInsertionPoint;
    return WSelectWholeInsertionPoint;
}

WTagItem WTagItem::fromMenuItem(const WMenuItem& item)
{
    WTagItem tag;
    auto text = [&item](std::u16string_view key) -> std::optional<std::u16string> {
        if (const std::u16string* value = item.attachedText(key))
            return *value;
        return std::nullopt;
    };
    tag.pre = text(u"pre");
    tag.post = text(u"post");
    tag.single = text(u"single");
    tag.select = text(u"select");
    return tag;
}

WTextView::WTextView(WTextViewPlatform& view, Hooks hooks)
    : mView(view), mHooks(std::move(hooks))
{
}

// ---------------------------------------------------------------------------
// Key routing and actions

bool WTextView::keyDown(const WKeyEvent& event)
{
    // An input method that is composing owns every key, and the system scheme
    // maps nothing; neither reaches the engine, so a pending prefix survives.
    if (mView.hasMarkedText() || keyBindType() == WSystemDefault)
        return false;
    return mKeyAssignServer.doneAssignedFunction(event, *this);
}

namespace {
struct OwnAction {
    std::string_view name;
    void (WTextView::*command)();
};

const std::array<OwnAction, 11> kOwnActions = {{
    {"autoIndent:", &WTextView::autoIndent},
    {"shiftRight:", &WTextView::shiftRight},
    {"shiftLeft:", &WTextView::shiftLeft},
    {"wrapWithReturn:", &WTextView::wrapWithReturn},
    {"removeReturns:", &WTextView::removeReturns},
    {"moveForwardAndModifySelection_wexel:", &WTextView::moveForwardAndModifySelection_wexel},
    {"moveBackwardAndModifySelection_wexel:", &WTextView::moveBackwardAndModifySelection_wexel},
    {"moveToBeginningOfParagraphAndModifySelection:", &WTextView::moveToBeginningOfParagraphAndModifySelection},
    {"moveToEndOfParagraphAndModifySelection:", &WTextView::moveToEndOfParagraphAndModifySelection},
    {"doSample:", &WTextView::doSample},
    {"saveDocument:", &WTextView::saveDocument},
}};
}  // namespace

bool WTextView::isOwnAction(std::string_view action)
{
    for (const auto& own : kOwnActions) {
        if (own.name == action)
            return true;
    }
    return false;
}

void WTextView::performAction(std::string_view action)
{
    for (const auto& own : kOwnActions) {
        if (own.name == action) {
            (this->*own.command)();
            return;
        }
    }
    mView.performStandardAction(action);
}

namespace {
// The widget's own editing actions that menus may send to the text.
constexpr std::string_view kStandardMenuActions[] = {
    "cut:", "copy:", "paste:", "selectAll:", "undo:", "redo:", "delete:",
};
}  // namespace

bool WTextView::respondsToAction(std::string_view action) const
{
    if (isOwnAction(action) || action == "insertMenuTag:" || action == "insertMenuURL:")
        return true;
    for (auto standard : kStandardMenuActions) {
        if (standard == action)
            return true;
    }
    return false;
}

bool WTextView::tryToPerform(std::string_view action, WMenuItem* sender)
{
    if (!respondsToAction(action))
        return false;
    if (action == "insertMenuTag:") {
        if (sender)
            insertMenuTag(*sender);
    } else if (action == "insertMenuURL:") {
        if (sender)
            insertMenuURL(*sender);
    } else {
        performAction(action);
    }
    return true;
}

std::unique_ptr<WMenu> WTextView::menuForEvent() const
{
    auto menu = std::make_unique<WMenu>();
    menu->addItemWithTitle(u"Cut", "cut:");
    menu->addItemWithTitle(u"Copy", "copy:");
    menu->addItemWithTitle(u"Paste", "paste:");
    menu->addItemWithTitle(u"Select All", "selectAll:");
    menu->addSeparatorItem();
    menu->addItemWithTitle(u"Information", "showInformationDialog:");
    menu->addSeparatorItem();
    WMenuUtils::attachTagMenuToMenuItem(&menu->addItemWithTitle(u"HTML Tags", ""), "insertMenuTag:");
    WMenuUtils::attachURLMenuToMenuItem(&menu->addItemWithTitle(u"URLs", ""), "insertMenuURL:");
    WMenuUtils::attachScriptsMenuToMenuItem(&menu->addItemWithTitle(u"Tools", ""), "executeScript:");
    return menu;
}

int32_t WTextView::keyBindType() const
{
    return mHooks.keyBindType ? mHooks.keyBindType() : WWexelOriginal;
}

bool WTextView::isAutoIndented() const
{
    return mHooks.isAutoIndented && mHooks.isAutoIndented();
}

void WTextView::saveDocument()
{
    if (mHooks.saveDocument)
        mHooks.saveDocument();
}

void WTextView::insertText(std::u16string_view text)
{
    mView.insertText(text);
}

// ---------------------------------------------------------------------------
// Lines

bool WTextView::isLineEnd(char16_t unit)
{
    return unit == u'\r' || unit == u'\n' || unit == 0x2028 || unit == 0x2029;
}

namespace {
// The position after the line end of the line holding p (or the text's end).
uint32_t endOfLineFrom(std::u16string_view text, uint32_t p)
{
    const uint32_t n = static_cast<uint32_t>(text.size());
    while (p < n && !WTextView::isLineEnd(text[p]))
        ++p;
    if (p < n)
        p += (text[p] == u'\r' && p + 1 < n && text[p + 1] == u'\n') ? 2 : 1;
    return p;
}
}  // namespace

WRange WTextView::lineRangeForRange(std::u16string_view text, WRange range)
{
    const uint32_t n = static_cast<uint32_t>(text.size());
    const uint32_t location = std::min(range.location, n);
    const uint32_t end = std::min(range.location + std::min(range.length, n), n);

    uint32_t start = location;
    while (start > 0 && !isLineEnd(text[start - 1]))
        --start;

    uint32_t stop;
    if (end > location && isLineEnd(text[end - 1]))
        stop = (text[end - 1] == u'\r' && end < n && text[end] == u'\n') ? end + 1 : end;
    else
        stop = endOfLineFrom(text, end);
    return {start, stop - start};
}

std::vector<WRange> WTextView::rangesOfLines(std::u16string_view text)
{
    std::vector<WRange> lines;
    const uint32_t n = static_cast<uint32_t>(text.size());
    uint32_t position = 0;
    for (;;) {
        const uint32_t stop = endOfLineFrom(text, position);
        lines.push_back({position, stop - position});
        if (stop >= n)
            break;
        position = stop;
    }
    return lines;
}

void WTextView::autoIndent()
{
    const std::u16string& text = mView.string();
    const WRange selection = mView.selectedRange();
    const WRange block = lineRangeForRange(text, selection);
    if (text.empty() || selection.location == block.location) {
        insertText(u"\r");
        return;
    }
    // The indentation of the selection's first line, whole, even when the
    // caret stands inside it.
    uint32_t end = block.location;
    while (end < block.maxRange() && (text[end] == u'\t' || text[end] == u' '))
        ++end;
    std::u16string inserted = u"\r";
    inserted.append(text, block.location, end - block.location);
    insertText(inserted);
}

namespace {
// The selection's line block without its final line end, which stays outside.
WRange shiftBlock(std::u16string_view text, WRange selection)
{
    WRange block = WTextView::lineRangeForRange(text, selection);
    if (block.length > 0 && text[block.maxRange() - 1] == u'\r')
        --block.length;
    return block;
}

std::vector<std::u16string> splitAtCR(std::u16string_view text)
{
    std::vector<std::u16string> pieces;
    size_t start = 0;
    for (;;) {
        const size_t cr = text.find(u'\r', start);
        pieces.emplace_back(text.substr(start, cr == std::u16string_view::npos ? std::u16string_view::npos : cr - start));
        if (cr == std::u16string_view::npos)
            return pieces;
        start = cr + 1;
    }
}

std::u16string joinWithCR(const std::vector<std::u16string>& pieces)
{
    std::u16string joined;
    for (size_t i = 0; i < pieces.size(); ++i) {
        if (i)
            joined.push_back(u'\r');
        joined += pieces[i];
    }
    return joined;
}
}  // namespace

void WTextView::rewriteShiftBlockLines(void (*rewriteLine)(std::u16string& line))
{
    const std::u16string& text = mView.string();
    if (text.empty())
        return;
    const WRange block = shiftBlock(text, mView.selectedRange());
    if (block.length == 0)
        return;
    auto lines = splitAtCR(std::u16string_view(text).substr(block.location, block.length));
    for (auto& line : lines)
        rewriteLine(line);
    const std::u16string rewritten = joinWithCR(lines);
    mView.setSelectedRange(block);
    if (rewritten.size() != block.length)
        insertText(rewritten);
    mView.setSelectedRange({block.location, static_cast<uint32_t>(rewritten.size())});
}

void WTextView::shiftRight()
{
    // One tab before each line that has any text; empty lines and each line's
    // own indentation stay, so the block keeps its structure.
    rewriteShiftBlockLines([](std::u16string& line) {
        if (!line.empty())
            line.insert(line.begin(), u'\t');
    });
}

void WTextView::shiftLeft()
{
    rewriteShiftBlockLines([](std::u16string& line) {
        if (!line.empty() && line.front() == u'\t')
            line.erase(0, 1);
    });
}

void WTextView::wrapWithReturn()
{
    const std::u16string& text = mView.string();
    const WRange block = lineRangeForRange(text, mView.selectedRange());
    mView.setSelectedRange(block);
    const std::u16string_view original = std::u16string_view(text).substr(block.location, block.length);
    const std::u16string wrapped = WStringUtils::wrapString(original, kWrapWidth);
    if (wrapped != original)
        insertText(wrapped);
    mView.setSelectedRange({block.location, static_cast<uint32_t>(wrapped.size())});
}

void WTextView::removeReturns()
{
    const std::u16string& text = mView.string();
    const WRange selection = mView.selectedRange();
    if (selection.length == 0)
        return;
    std::u16string joined;
    for (char16_t unit : std::u16string_view(text).substr(selection.location, selection.length)) {
        if (unit != u'\r' && unit != u'\n')
            joined.push_back(unit);
    }
    if (joined.size() != selection.length)
        insertText(joined);
    mView.setSelectedRange({selection.location, static_cast<uint32_t>(joined.size())});
}

bool WTextView::selectLineOf(uint32_t line)
{
    const auto lines = rangesOfLines(mView.string());
    if (line == 0 || line > lines.size()) {
        WLog::write("over-range of lines.");
        WPlatform::shared().beep();
        return false;
    }
    mView.setSelectedRange(lines[line - 1]);
    mView.scrollRangeToVisible(lines[line - 1]);
    return true;
}

bool WTextView::selectLineTopOf(uint32_t line)
{
    const auto lines = rangesOfLines(mView.string());
    if (line == 0 || line > lines.size()) {
        WLog::write("over-range of lines.");
        WPlatform::shared().beep();
        return false;
    }
    const WRange top{lines[line - 1].location, 0};
    mView.setSelectedRange(top);
    mView.scrollRangeToVisible(top);
    return true;
}

void WTextView::moveForwardAndModifySelection_wexel()
{
    const WRange selection = mView.selectedRange();
    if (selection.maxRange() < mView.string().size())
        mView.setSelectedRange({selection.location, selection.length + 1});
}

void WTextView::moveBackwardAndModifySelection_wexel()
{
    const WRange selection = mView.selectedRange();
    if (selection.location > 0)
        mView.setSelectedRange({selection.location - 1, selection.length + 1});
}

void WTextView::moveToBeginningOfParagraphAndModifySelection()
{
    const WRange selection = mView.selectedRange();
    const WRange block = lineRangeForRange(mView.string(), selection);
    mView.setSelectedRange({block.location, selection.maxRange() - block.location});
}

void WTextView::moveToEndOfParagraphAndModifySelection()
{
    const WRange selection = mView.selectedRange();
    const WRange block = lineRangeForRange(mView.string(), selection);
    mView.setSelectedRange({selection.location, block.maxRange() - selection.location});
}

void WTextView::doSample()
{
    WLog::write("do sample");
    WStringUtils::countReturns(mView.string());
    const auto offset = std::u16string_view(u"abcd").find(u'e');
    WLog::write("offset = " + std::to_string(offset == std::u16string_view::npos ? -1 : static_cast<int>(offset)));
}

// ---------------------------------------------------------------------------
// Insertions

void WTextView::insertTagsWithPrefix(std::u16string_view prefix, std::u16string_view suffix,
                                     const std::optional<std::u16string>& single, int32_t insertion)
{
    const WRange selection = mView.selectedRange();
    std::u16string inserted;
    if (selection.length == 0 && single) {
        inserted = *single;
    } else {
        inserted = prefix;
        inserted.append(mView.string(), selection.location, selection.length);
        inserted += suffix;
    }
    insertText(inserted);

    const uint32_t length = static_cast<uint32_t>(inserted.size());
    WRange after{selection.location + length, 0};
    switch (insertion) {
    case WSelectBeginingOfInsersionPoint:
        after = {selection.location, 0};
        break;
    case WSelectEndOfInsertionPoint:
        break;
    case WSelectWholeInsertionPoint:
        after = {selection.location, length};
        break;
    case WSelectInsideInsertionPoint: {
        // Never past the inserted text, even for a single text shorter than the prefix.
        const uint32_t inside = std::min(static_cast<uint32_t>(prefix.size()), length);
        after = {selection.location + inside, std::min(selection.length, length - inside)};
        break;
    }
    default:
        break;
    }
    mView.setSelectedRange(after);
    mView.scrollRangeToVisible(after);
}

void WTextView::insertTagsWithPrefix(std::u16string_view prefix, std::u16string_view suffix)
{
    insertTagsWithPrefix(prefix, suffix, std::nullopt, WSelectWholeInsertionPoint);
}

void WTextView::insertMenuTag(const WTagItem& item)
{
    // Tag texts may come from a file with LF line ends; the text holds CR only.
    const std::u16string pre = withoutLineFeeds(item.pre.value_or(u""));
    const std::u16string post = withoutLineFeeds(item.post.value_or(u""));
    std::optional<std::u16string> single;
    if (item.single)
        single = withoutLineFeeds(*item.single);
    insertTagsWithPrefix(pre, post, single, WTagItem::insertionTypeForSelect(item.select));
}

void WTextView::insertMenuTag(const WMenuItem& item)
{
    insertMenuTag(WTagItem::fromMenuItem(item));
}

void WTextView::insertMenuURL(const WMenuItem& item)
{
    if (const std::u16string* url = item.attachedText(u"url"))
        insertMenuURL(*url);
}

void WTextView::insertMenuURL(std::u16string_view url)
{
    if (mView.selectedRange().length == 0)
        insertTagsWithPrefix(url, u"");
    else
        insertTagsWithPrefix(linkPrefix(url), kLinkSuffix, std::nullopt, WSelectWholeInsertionPoint);
}

void WTextView::insertURL(std::u16string_view url)
{
    const WRange selection = mView.selectedRange();
    if (selection.length == 0) {
        insertText(url);
        mView.setSelectedRange({selection.location, static_cast<uint32_t>(url.size())});
    } else {
        insertTagsWithPrefix(linkPrefix(url), kLinkSuffix, std::nullopt, WSelectWholeInsertionPoint);
    }
}

std::u16string WTextView::pathText(const std::filesystem::path& file) const
{
    return WStringUtils::fromUtf8(file.string());
}

std::optional<std::u16string> WTextView::documentPathText() const
{
    if (!mHooks.documentFileName)
        return std::nullopt;
    auto file = mHooks.documentFileName();
    if (!file || file->empty())
        return std::nullopt;
    return pathText(*file);
}

void WTextView::insertImageTag(const std::filesystem::path& image)
{
    const auto size = WPlatform::shared().imageSize(image);
    if (!size)
        return;  // not an image we can read: nothing to insert

    std::u16string path = pathText(image);
    if (auto document = documentPathText())
        path = WStringUtils::relativePathFrom(*document, path);

    const bool xhtml = !mHooks.useXhtmlSyntax || mHooks.useXhtmlSyntax();
    std::u16string tag = u"<img src=\"";
    tag += path;
    tag += u"\" width=\"";
    tag += decimal(size->width);
    tag += u"\" height=\"";
    tag += decimal(size->height);
    tag += xhtml ? u"\" alt=\"\" />" : u"\" alt=\"\">";

    const WRange selection = mView.selectedRange();
    insertText(tag);
    const WRange inserted{selection.location, static_cast<uint32_t>(tag.size())};
    mView.setSelectedRange(inserted);
    mView.scrollRangeToVisible(inserted);
}

void WTextView::insertColorString(const WColor& color)
{
    const std::u16string string = WStringUtils::stringFromColor(color);
    const WRange selection = mView.selectedRange();
    insertText(string);
    mView.setSelectedRange({selection.location, static_cast<uint32_t>(string.size())});
}

void WTextView::insertRelativePath(const std::filesystem::path& file)
{
    const std::u16string path = pathText(file);
    const auto document = documentPathText();
    if (!document) {
        insertText(path);
        return;
    }
    const std::u16string relative = WStringUtils::relativePathFrom(*document, path);
    if (mView.selectedRange().length == 0)
        insertText(relative);
    else
        insertTagsWithPrefix(linkPrefix(relative), kLinkSuffix, std::nullopt, WSelectWholeInsertionPoint);
}

bool WTextView::insertTextOfFile(const std::filesystem::path& file)
{
    const std::string bytes =
        WFileRead::regularFile(file, WDocumentData::kLargestFileSize).value_or(std::string());
    if (bytes.empty()) {
        WLog::write("WTextView insertTextOfFile: - data length == 0");
        return false;
    }

    // Decoded exactly as a document opens its file, line ends made CR: a CR LF
    // file must not bring LFs that would be doubled when the document is saved.
    auto opened = WDocumentData::openData(
        std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), file.filename().string());
    if (!opened) {
        WLog::write("WTextView insertTextOfFile: - cannot decode the file");
        return false;
    }
    const std::u16string& text = opened->text;

    const WRange selection = mView.selectedRange();
    insertText(text);
    const WRange inserted{selection.location, static_cast<uint32_t>(text.size())};
    mView.setSelectedRange(inserted);
    mView.scrollRangeToVisible(inserted);
    return true;
}

// ---------------------------------------------------------------------------
// Drag and drop

WDragOperation WTextView::draggingUpdated(const WDragInfo& drag)
{
    if (drag.color && drag.allowsCopy)
        return WDragOperation::Copy;
    if (!drag.fileNames.empty()) {
        if (drag.allowsLink)
            return WDragOperation::Link;
        if (drag.allowsCopy)
            return WDragOperation::Copy;
        return WDragOperation::None;
    }
    return WDragOperation::Standard;
}

bool WTextView::isClippingFile(const std::filesystem::path& file)
{
    char code[8] = {};
    const auto typeLength = ::getxattr(file.c_str(), "user.wexel.type", code, sizeof code);
    if (typeLength != 4 || std::string_view(code, 4) != "clpt")
        return false;
    const auto creatorLength = ::getxattr(file.c_str(), "user.wexel.creator", code, sizeof code);
    return creatorLength == 4 && std::string_view(code, 4) == "MACS";
}

WDropOutcome WTextView::concludeDragOperation(const WDragInfo& drag)
{
    WDropOutcome outcome;
    if (drag.color) {
        insertColorString(*drag.color);
        outcome.handled = true;
        return outcome;
    }
    if (!drag.fileNames.empty()) {
        if (!drag.allowsLink) {
            insertRelativePath(drag.fileNames.front());
            outcome.handled = true;
            return outcome;
        }
        bool first = true;
        for (const auto& file : drag.fileNames) {
            if (isClippingFile(file)) {
                outcome.standardFiles.push_back(file);
                continue;
            }
            // Each file goes after the one before it rather than replacing it.
            if (!first) {
                const WRange selection = mView.selectedRange();
                mView.setSelectedRange({selection.maxRange(), 0});
            }
            const std::string extension = file.extension().string();
            if (extension == ".jpg" || extension == ".png" || extension == ".gif")
                insertImageTag(file);
            else
                insertTextOfFile(file);
            first = false;
        }
        outcome.handled = true;
        return outcome;
    }
    if (!drag.urls.empty()) {
        insertURL(drag.urls.front());
        outcome.handled = true;
        return outcome;
    }
    if (drag.text) {
        outcome.standardText = WStringUtils::convertReturnsToCR(*drag.text);
        return outcome;
    }
    outcome.standardDrop = true;
    return outcome;
}
