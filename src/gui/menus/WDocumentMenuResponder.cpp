#include "menus/WDocumentMenuResponder.h"

#include <QPointer>

#include "app/WApplicationDel.h"
#include "app/WDocumentController.h"
#include "document/MyDocument.h"
#include "document/WDocumentWindow.h"
#include "canvas/WTextCanvas.h"
#include "menus/WMenuDispatcher.h"
#include "menus/WMenuUtils.h"
#include "menus/WAddonExecution.h"
#include "platform/WPlatform.h"

namespace {

std::optional<QString> fontNameOfTag(int32_t tag)
{
    WApplicationDel* application = WApplicationDel::shared();
    std::optional<QVariantList> names = application ? application->menuDict(QStringLiteral("font_family_array"))
                                                    : std::nullopt;
    if (!names || tag < 0 || tag >= names->size())
        return std::nullopt;
    return names->at(tag).toString();
}

std::optional<float> sizeOfTag(int32_t tag)
{
    if (tag < 0 || tag >= static_cast<int32_t>(WFontSizeMenuItemArray.size()) - 1)
        return std::nullopt;
    return WFontSizeMenuItemArray[static_cast<size_t>(tag)];
}

// The document commands, each sent to the document as it is.
const std::pair<std::string_view, void (MyDocument::*)()> kDocumentCommands[] = {
    {"showInformationDialog:", &MyDocument::showInformationDialog},
    {"openWithBrowser:", &MyDocument::openWithBrowser},
    {"openUserDefinedTagFile:", &MyDocument::openUserDefinedTagFile},
    {"redrawColors:", &MyDocument::redrawColors},
    {"toggleStoreWindowStatus:", &MyDocument::toggleStoreWindowStatus},
};

void (MyDocument::*documentCommand(std::string_view action))()
{
    for (const auto& [name, command] : kDocumentCommands) {
        if (name == action)
            return command;
    }
    return nullptr;
}

}  // namespace

WDocumentMenuResponder* WDocumentMenuResponder::attach(MyDocument* document)
{
    auto* responder = new WDocumentMenuResponder(document);
    WMenuDispatcher::setResponder(document->window(), responder);
    return responder;
}

WDocumentMenuResponder::WDocumentMenuResponder(MyDocument* document) : QObject(document), mDocument(document) {}

WDocumentMenuResponder::~WDocumentMenuResponder()
{
    WMenuDispatcher::forget(this);
}

bool WDocumentMenuResponder::respondsToAction(std::string_view action) const
{
    return action == "executeScript:" || action == "setFontFamily:" || action == "setFontSize:"
           || documentCommand(action);
}

bool WDocumentMenuResponder::tryToPerform(std::string_view action, WMenuItem* sender)
{
    if (!respondsToAction(action))
        return false;
    if (auto command = documentCommand(action)) {
        (mDocument->*command)();
    } else if (action == "executeScript:") {
        executeScript(sender);
    } else if (action == "setFontFamily:") {
        if (auto name = sender ? fontNameOfTag(sender->tag()) : std::nullopt) {
            mDocument->setTextViewFontName(*name);
            mDocument->validateColorSyntax();
        }
    } else if (auto size = sender ? sizeOfTag(sender->tag()) : std::nullopt) {
        mDocument->setTextViewFontSize(*size);
        mDocument->validateColorSyntax();
    }
    return true;
}

bool WDocumentMenuResponder::validateMenuItem(WMenuItem& item)
{
    // The font items keep the check marks the document set (MyDocument::validateMenus).
    if (item.action() == "executeScript:")
        return !WAddonExecution::isRunning();
    return mDocument->validateMenuItem(item);
}

void WDocumentMenuResponder::executeScript(WMenuItem* sender)
{
    if (!sender || !sender->attachedPath() || !mDocument->textView())
        return;
    // The menu may be rebuilt and this document closed while the add-on runs:
    // keep copies, and look again afterwards.
    const std::filesystem::path addon = *sender->attachedPath();
    QPointer<MyDocument> document(mDocument);
    QPointer<WTextCanvas> view(mDocument->textView());
    if (WPlatform::shared().isShiftKeyDown()) {
        // Shift opens the add-on itself for editing instead of running it.
        if (WApplicationDel* application = WApplicationDel::shared())
            application->documentController().openDocument(QString::fromStdString(addon.string()));
        return;
    }
    std::optional<std::filesystem::path> documentPath;
    if (!document->fileName().isEmpty())
        documentPath = std::filesystem::path(document->fileName().toStdString());
    WAddonResult result = WAddonExecution::execute(addon, *view, view, documentPath);
    if (document && view && result.replacement() && result.type == WReplaceAll)
        document->validateColorSyntax();
}
