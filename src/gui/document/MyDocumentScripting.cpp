// The document's side of scripting: each property key's reading and writing
// and the commands, in the document's own terms. The scripting service turns
// messages into these calls and their errors into replies.
#include <cmath>
#include <limits>

#include "document/MyDocument.h"
#include "app/WQtStrings.h"
#include "canvas/WTextCanvas.h"
#include "text/WStringUtils.h"

using wqt::toQString;

QString MyDocument::encoding() const
{
    return QString::fromStdString(WDocumentScripting::encodingName(mDocumentEncoding));
}

MyDocument::ScriptError MyDocument::setEncoding(const QString& name)
{
    const auto value = WEncoding::fromName(name.toStdString());
    if (!value)
        return WDocumentScripting::genericError("setEncoding");
    mDocumentEncoding = *value;
    adjustPopupButtons();
    return std::nullopt;
}

MyDocument::ScriptError MyDocument::retcode(QString* name) const
{
    const std::string_view found = WTextUtils::returnCodeName(mReturnCodeType);
    if (found.empty())
        return WDocumentScripting::genericError("retcode");
    *name = QString::fromUtf8(found.data(), static_cast<qsizetype>(found.size()));
    return std::nullopt;
}

MyDocument::ScriptError MyDocument::setRetcode(const QString& name)
{
    const auto kind = WTextUtils::returnCodeFromName(name.toStdString());
    if (!kind)
        return WDocumentScripting::genericError("setRetcode");
    // Takes effect at the next save; the pop-up is left as it is.
    mReturnCodeType = *kind;
    return std::nullopt;
}

MyDocument::ScriptError MyDocument::syntaxtype(QString* name) const
{
    if (!WTextTypeNames::isTextType(mTextType))
        return WDocumentScripting::genericError("syntaxtype");
    const std::string_view found = WTextTypeNames::scriptingName(mTextType);
    *name = QString::fromUtf8(found.data(), static_cast<qsizetype>(found.size()));
    return std::nullopt;
}

MyDocument::ScriptError MyDocument::setSyntaxType(const QString& name)
{
    const auto type = WTextTypeNames::fromScriptingName(name.toStdString());
    if (!type)
        return WDocumentScripting::genericError("setSyntaxType");
    // Nothing sets the shell script type; naming it only makes the colouring anew.
    if (*type != WTextShellScript)
        setTextType(*type);
    adjustDocumentSettings();
    validateColorSyntax();
    return std::nullopt;
}

void MyDocument::setFontname(const QString& name)
{
    setTextViewFontName(name);
    validateColorSyntax();
}

MyDocument::ScriptError MyDocument::setFontsize(double size)
{
    // Not a number or no float at all would reach the font as nonsense.
    if (!(size >= 1.0) || !(size <= std::numeric_limits<float>::max()))
        return WDocumentScripting::genericError("setFontsize");
    setTextViewFontSize(static_cast<float>(size));
    validateColorSyntax();
    return std::nullopt;
}

WRange MyDocument::selectedrange() const
{
    return myTextView->selectedRange();
}

MyDocument::ScriptError MyDocument::setSelectedrange(std::optional<int64_t> location, std::optional<int64_t> length)
{
    if (!location || !length)
        return std::nullopt;
    const auto range = WDocumentScripting::rangeInText(*location, *length, myTextView->textStorage().length());
    if (!range)
        return WDocumentScripting::rangeError();
    myTextView->setSelectedRange(*range);
    return std::nullopt;
}

QString MyDocument::selectedtext() const
{
    const WRange selection = selectedrange();
    return toQString(std::u16string_view(myTextView->string()).substr(selection.location, selection.length));
}

void MyDocument::setSelectedtext(const QString& text)
{
    const WRange selection = selectedrange();
    // Line ends of any kind become the text's own CR.
    const std::u16string replacement = WStringUtils::convertReturnsToCR(wqt::unitsOf(text));
    myTextView->replaceCharactersInRange(selection, replacement);
    myTextView->setSelectedRange({selection.location, static_cast<uint32_t>(replacement.size())});
}

MyDocument::ScriptError MyDocument::setSelectionLocation(int64_t location)
{
    const auto range =
        WDocumentScripting::selectionWithLocation(selectedrange(), myTextView->textStorage().length(), location);
    if (!range)
        return WDocumentScripting::genericError("setSelectionLocation");
    myTextView->setSelectedRange(*range);
    return std::nullopt;
}

MyDocument::ScriptError MyDocument::setSelectionLength(int64_t length)
{
    const auto range =
        WDocumentScripting::selectionWithLength(selectedrange(), myTextView->textStorage().length(), length);
    if (!range)
        return WDocumentScripting::genericError("setSelectionLength");
    myTextView->setSelectedRange(*range);
    return std::nullopt;
}

QString MyDocument::text() const
{
    return toQString(myTextView->string());
}

WSearchScriptResult MyDocument::handleSearchCommand(const WSearchScriptArguments& arguments) const
{
    return WSearchCommands::handleSearchCommand(*myTextView, arguments);
}

WSearchScriptResult MyDocument::handleReplaceAllCommand(const WSearchScriptArguments& arguments)
{
    const WRange selection = selectedrange();
    WSearchScriptResult result = WSearchCommands::handleReplaceAllCommand(*myTextView, arguments);
    // The whole text was set anew, which put the caret at the start; a script's
    // replacement leaves the selection where it was, inside the new text.
    if (result.error.empty() && result.value > 0)
        myTextView->setSelectedRange(selection);
    return result;
}

void MyDocument::handleScrollToSelectionCommand()
{
    myTextView->scrollRangeToVisible(myTextView->selectedRange());
}
