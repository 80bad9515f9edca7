#include "menus/WEditingMenus.h"

#include <QApplication>
#include <QColor>
#include <QColorDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLineEdit>
#include <QMenu>

#include "app/WDocumentController.h"
#include "document/MyDocument.h"
#include "document/WDocumentWindow.h"
#include "editor/WTextView.h"
#include "editor/WTextViewController.h"
#include "canvas/WTextCanvas.h"
#include "menus/WMenuDispatcher.h"
#include "menus/WMenuRenderer.h"
#include "platform/WPlatform.h"
#include "text/WStringUtils.h"

namespace {

// The commands of the text view itself; it enables them while it has the focus.
constexpr std::string_view kShiftRight = "shiftRight:";
constexpr std::string_view kShiftLeft = "shiftLeft:";
constexpr std::string_view kWrapWithReturn = "wrapWithReturn:";
constexpr std::string_view kRemoveReturns = "removeReturns:";

// The commands answered here, on the document and its text view.
constexpr std::string_view kToggleWordWrap = "toggleWordWrap:";
constexpr std::string_view kToggleAutoIndent = "toggleAutoIndent:";
constexpr std::string_view kShowColorPanel = "showColorPanel:";
constexpr std::string_view kInsertImage = "insertImageFromFile:";
constexpr std::string_view kInsertLink = "insertLink:";
constexpr std::string_view kInsertPath = "insertPathOfFile:";
constexpr std::string_view kInsertFileText = "insertTextFromFile:";

constexpr std::string_view kOwnActions[] = {kToggleWordWrap, kToggleAutoIndent, kShowColorPanel, kInsertImage,
                                            kInsertLink,     kInsertPath,       kInsertFileText};

std::unique_ptr<WEditingMenus::Dialogs>& installedDialogs()
{
    static std::unique_ptr<WEditingMenus::Dialogs> dialogs;
    return dialogs;
}

QPointer<QColorDialog>& sharedColorPanel()
{
    static QPointer<QColorDialog> panel;
    return panel;
}

// The document the colour panel sends its colours to: the one that opened it last.
QPointer<MyDocument>& colorPanelTarget()
{
    static QPointer<MyDocument> document;
    return document;
}

QString chooseFile(QWidget* window, const QString& title, const QString& filter)
{
    if (const auto& dialogs = installedDialogs(); dialogs && dialogs->chooseFile)
        return dialogs->chooseFile(window, title, filter);
    return QFileDialog::getOpenFileName(window, title, QString(), filter);
}

std::optional<QString> askURL(QWidget* window)
{
    if (const auto& dialogs = installedDialogs(); dialogs && dialogs->askURL)
        return dialogs->askURL(window);
    bool accepted = false;
    const QString url = QInputDialog::getText(window, QCoreApplication::translate("WEditingMenus", "Insert Link"),
                                              QCoreApplication::translate("WEditingMenus", "URL:"),
                                              QLineEdit::Normal, QStringLiteral("https://"), &accepted);
    if (!accepted)
        return std::nullopt;
    return url;
}

std::u16string toU16(const QString& text)
{
    return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<size_t>(text.size())};
}

std::filesystem::path toPath(const QString& file)
{
    return std::filesystem::path(file.toStdString());
}

WTextView* editingCommandsOf(WTextCanvas* widget)
{
    WTextViewController* controller = WTextViewController::controllerOf(widget);
    return controller ? &controller->textView() : nullptr;
}

void insertColor(const QColor& color)
{
    MyDocument* document = colorPanelTarget();
    WTextView* editing = document ? editingCommandsOf(document->textView()) : nullptr;
    if (!editing || !color.isValid())
        return;
    editing->insertColorString(WColor{static_cast<float>(color.redF()), static_cast<float>(color.greenF()),
                                      static_cast<float>(color.blueF()), static_cast<float>(color.alphaF())});
}

}  // namespace

std::unique_ptr<WMenu> WEditingMenus::formatMenuModel()
{
    auto menu = std::make_unique<WMenu>(u"Format");
    menu->addSeparatorItem();
    menu->addItemWithTitle(tr("Shift Right").toStdU16String(), std::string(kShiftRight), u"]");
    menu->addItemWithTitle(tr("Shift Left").toStdU16String(), std::string(kShiftLeft), u"[");
    menu->addItemWithTitle(tr("Wrap with Return").toStdU16String(), std::string(kWrapWithReturn));
    menu->addItemWithTitle(tr("Remove Returns").toStdU16String(), std::string(kRemoveReturns));
    menu->addSeparatorItem();
    menu->addItemWithTitle(tr("Word Wrap").toStdU16String(), std::string(kToggleWordWrap));
    menu->addItemWithTitle(tr("Auto Indent").toStdU16String(), std::string(kToggleAutoIndent));
    // Answered by the document of the main window.
    menu->addItemWithTitle(tr("Store Window Status").toStdU16String(), "toggleStoreWindowStatus:");
    menu->addSeparatorItem();
    menu->addItemWithTitle(tr("Redraw Colours").toStdU16String(), "redrawColors:");
    menu->addItemWithTitle(tr("Text Information…").toStdU16String(), "showInformationDialog:");
    return menu;
}

std::unique_ptr<WMenu> WEditingMenus::insertMenuModel()
{
    auto menu = std::make_unique<WMenu>(u"Insert");
    menu->addItemWithTitle(tr("Colour…").toStdU16String(), std::string(kShowColorPanel));
    menu->addItemWithTitle(tr("Image Tag…").toStdU16String(), std::string(kInsertImage));
    menu->addItemWithTitle(tr("Link…").toStdU16String(), std::string(kInsertLink));
    menu->addItemWithTitle(tr("Relative Path…").toStdU16String(), std::string(kInsertPath));
    menu->addItemWithTitle(tr("Text of File…").toStdU16String(), std::string(kInsertFileText));
    return menu;
}

void WEditingMenus::addTo(QList<QMenu*>& mainMenus, WDocumentController& controller)
{
    // Found by its title as the bar shows it, in the user's language.
    const QString formatTitle = QCoreApplication::translate("WApplicationDel", "Fo&rmat");
    qsizetype formatIndex = -1;
    for (qsizetype index = 0; index < mainMenus.size(); ++index) {
        if (mainMenus[index]->title() == formatTitle)
            formatIndex = index;
    }
    QMenu* format = formatIndex >= 0 ? mainMenus[formatIndex] : nullptr;
    if (!format) {
        format = new QMenu(formatTitle);
        mainMenus.append(format);
        formatIndex = mainMenus.size() - 1;
    }
    // The Format menu keeps the font submenus it already has; these come after them.
    WMenuRenderer::render(formatMenuModel(), format);

    auto* insert = new QMenu(tr("&Insert"));
    WMenuRenderer::render(insertMenuModel(), insert);
    mainMenus.insert(formatIndex + 1, insert);

    // Lives as long as the menus it answers for.
    auto* responder = new WEditingMenus(controller, insert);
    WMenuDispatcher::setApplicationResponder(responder);
}

void WEditingMenus::setDialogs(std::unique_ptr<Dialogs> dialogs)
{
    installedDialogs() = std::move(dialogs);
}

QColorDialog* WEditingMenus::colorPanel()
{
    return sharedColorPanel();
}

WEditingMenus::WEditingMenus(WDocumentController& controller, QObject* parent)
    : QObject(parent), mController(&controller)
{
}

WEditingMenus::~WEditingMenus()
{
    WMenuDispatcher::forget(this);
}

MyDocument* WEditingMenus::targetDocument() const
{
    if (!mController)
        return nullptr;
    // The document of the active window; a panel or dialog in front leaves the
    // document last in front as the target.
    if (QWidget* active = QApplication::activeWindow()) {
        for (const auto& document : mController->documents()) {
            if (document->window() == active)
                return document.get();
        }
    }
    return mController->currentDocument();
}

WTextCanvas* WEditingMenus::targetWidget() const
{
    if (auto* focused = qobject_cast<WTextCanvas*>(QApplication::focusWidget()))
        return focused;
    MyDocument* document = targetDocument();
    return document ? document->textView() : nullptr;
}

WTextView* WEditingMenus::targetTextView() const
{
    return editingCommandsOf(targetWidget());
}

bool WEditingMenus::respondsToAction(std::string_view action) const
{
    for (std::string_view own : kOwnActions) {
        if (own == action)
            return true;
    }
    return false;
}

bool WEditingMenus::validateMenuItem(WMenuItem& item)
{
    const std::string& action = item.action();
    if (action == kToggleWordWrap || action == kToggleAutoIndent) {
        MyDocument* document = targetDocument();
        const bool on = document && (action == kToggleWordWrap ? document->isWordWrapped() : document->isAutoIndented());
        item.setState(on ? WOnState : WOffState);
        return document != nullptr;
    }
    // Insertions need a text that may be changed.
    WTextCanvas* widget = targetWidget();
    return widget && widget->isEditable() && editingCommandsOf(widget);
}

bool WEditingMenus::tryToPerform(std::string_view action, WMenuItem*)
{
    if (!respondsToAction(action))
        return false;
    if (action == kToggleWordWrap || action == kToggleAutoIndent) {
        if (MyDocument* document = targetDocument()) {
            if (action == kToggleWordWrap)
                document->setWordWrapped(!document->isWordWrapped());
            else
                document->setAutoIndented(!document->isAutoIndented());
        }
    } else if (action == kShowColorPanel) {
        showColorPanel();
    } else if (action == kInsertLink) {
        insertLink();
    } else {
        insertChosenFile(action);
    }
    return true;
}

void WEditingMenus::showColorPanel()
{
    MyDocument* document = targetDocument();
    WTextCanvas* widget = document ? document->textView() : nullptr;
    if (!widget)
        return;
    QPointer<QColorDialog>& panel = sharedColorPanel();
    if (!panel) {
        // One panel for the application, kept until it quits; OK sends its colour.
        panel = new QColorDialog;
        panel->setAttribute(Qt::WA_DeleteOnClose, false);
        panel->setOption(QColorDialog::DontUseNativeDialog);
        panel->setWindowTitle(tr("Colours"));
        QObject::connect(panel, &QColorDialog::colorSelected, panel, &insertColor);
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, panel, &QObject::deleteLater);
    }
    colorPanelTarget() = document;

    // A selected colour string primes the panel; anything else leaves its colour.
    const WRange selection = widget->selectedRange();
    const std::u16string& text = widget->string();
    if (selection.location <= text.size()) {
        const std::u16string_view selected =
            std::u16string_view(text).substr(selection.location, selection.length);
        if (auto color = WStringUtils::colorFromString(selected))
            panel->setCurrentColor(QColor::fromRgbF(color->red, color->green, color->blue));
    }
    panel->show();
    panel->raise();
    panel->activateWindow();
}

void WEditingMenus::insertChosenFile(std::string_view action)
{
    MyDocument* document = targetDocument();
    QPointer<WTextCanvas> widget = targetWidget();
    if (!widget)
        return;
    QWidget* window = document ? static_cast<QWidget*>(document->window()) : widget->window();
    QString title;
    QString filter;
    if (action == kInsertImage) {
        title = tr("Insert Image Tag");
        filter = tr("Images (%1);;All Files (*)").arg(QStringLiteral("*.png *.jpg *.jpeg *.gif *.bmp *.webp *.svg"));
    } else if (action == kInsertPath) {
        title = tr("Insert Relative Path");
    } else {
        title = tr("Insert Text of File");
    }
    const QString file = chooseFile(window, title, filter);
    // The dialog runs the event loop: the window may have closed meanwhile.
    WTextView* editing = widget ? editingCommandsOf(widget) : nullptr;
    if (file.isEmpty() || !editing)
        return;
    const std::filesystem::path path = toPath(QFileInfo(file).absoluteFilePath());

    if (action == kInsertImage) {
        // A file that is no image we can measure gets no tag; say so rather than do nothing.
        if (!WPlatform::shared().imageSize(path)) {
            WPlatform::shared().beep();
            return;
        }
        editing->insertImageTag(path);
    } else if (action == kInsertPath) {
        editing->insertRelativePath(path);
    } else if (!editing->insertTextOfFile(path)) {
        WPlatform::shared().beep();
    }
}

void WEditingMenus::insertLink()
{
    MyDocument* document = targetDocument();
    QPointer<WTextCanvas> widget = targetWidget();
    if (!widget)
        return;
    QWidget* window = document ? static_cast<QWidget*>(document->window()) : widget->window();
    const std::optional<QString> url = askURL(window);
    WTextView* editing = widget ? editingCommandsOf(widget) : nullptr;
    if (!url || url->trimmed().isEmpty() || !editing)
        return;
    editing->insertURL(toU16(url->trimmed()));
}
