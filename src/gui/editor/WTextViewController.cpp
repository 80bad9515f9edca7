#include "editor/WTextViewController.h"

#include <QColor>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLayout>
#include <QMenu>
#include <QMimeData>
#include <QUrl>

#include "app/WApplicationDel.h"
#include "app/WDocumentController.h"
#include "document/MyDocument.h"
#include "document/WDocumentWindow.h"
#include "editor/WBottomView.h"
#include "canvas/WTextCanvas.h"
#include "menus/WMenu.h"
#include "menus/WMenuDispatcher.h"
#include "menus/WMenuRenderer.h"
#include "platform/WLog.h"
#include "prefs/WPrefsServer.h"

namespace {

std::u16string toU16(const QString& text)
{
    return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<size_t>(text.size())};
}

bool isModifierKey(int key)
{
    switch (key) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Meta:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
    case Qt::Key_ScrollLock:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
    case Qt::Key_unknown:
        return true;
    default:
        return false;
    }
}

}  // namespace

WTextViewController::WTextViewController(WTextCanvas* widget, WTextView::Hooks hooks)
    : QObject(widget), mWidget(widget), mTextView(*widget, std::move(hooks))
{
    widget->setKeyRouter([this](QKeyEvent* event) { return routeKey(event); });
    widget->installEventFilter(this);
    widget->viewport()->installEventFilter(this);
    widget->setAcceptDrops(true);
    widget->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(widget, &QWidget::customContextMenuRequested, this, &WTextViewController::showContextMenu);
    connect(widget, &WTextCanvas::aboutToBeDestroyed, this, [this] {
        mWidget->removeEventFilter(this);
        mWidget->viewport()->removeEventFilter(this);
        mWidget->setKeyRouter({});
        mWidget = nullptr;
    });
    WMenuDispatcher::setResponder(widget, &mTextView);
}

WTextViewController::~WTextViewController()
{
    WMenuDispatcher::forget(&mTextView);
    if (mWidget)
        mWidget->setKeyRouter({});
}

WTextViewController* WTextViewController::installInDocument(MyDocument& document)
{
    WTextCanvas* widget = document.textView();
    if (!widget)
        return nullptr;
    WTextView::Hooks hooks;
    hooks.keyBindType = [] {
        auto* application = WApplicationDel::shared();
        return application ? application->prefsServer().intForKey("key_bind_type") : int32_t(WWexelOriginal);
    };
    hooks.useXhtmlSyntax = [] {
        auto* application = WApplicationDel::shared();
        return application ? application->prefsServer().boolForKey("use_xhtml_syntax") : true;
    };
    QPointer<MyDocument> owner(&document);
    hooks.isAutoIndented = [owner] { return owner && owner->isAutoIndented(); };
    hooks.saveDocument = [owner] {
        if (auto* application = WApplicationDel::shared(); application && owner)
            application->documentController().saveDocument(owner);
    };
    hooks.documentFileName = [owner]() -> std::optional<std::filesystem::path> {
        if (!owner || owner->fileName().isEmpty())
            return std::nullopt;
        return std::filesystem::path(owner->fileName().toStdString());
    };
    auto* controller = new WTextViewController(widget, std::move(hooks));

    if (WDocumentWindow* window = document.window(); window && window->centralWidget()) {
        auto* bottom = new WBottomView(widget, [owner] { return owner ? int32_t(owner->textType()) : 0; },
                                       window->centralWidget());
        if (QLayout* layout = window->centralWidget()->layout())
            layout->addWidget(bottom);
    }
    return controller;
}

WTextViewController* WTextViewController::controllerOf(const WTextCanvas* widget)
{
    return widget ? widget->findChild<WTextViewController*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

// ---------------------------------------------------------------------------
// Keys

std::optional<WKeyEvent> WTextViewController::keyEventFor(const QKeyEvent& event)
{
    const int key = event.key();
    if (isModifierKey(key))
        return std::nullopt;

    WKeyEvent result;
    if (key == Qt::Key_Escape) {
        result.charactersIgnoringModifiers = u"\x1b";
    } else if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        result.charactersIgnoringModifiers = u"\r";
    } else if (key == Qt::Key_Tab || key == Qt::Key_Backtab) {
        result.charactersIgnoringModifiers = u"\t";
    } else if (key == Qt::Key_Backspace) {
        result.charactersIgnoringModifiers = u"\x7f";
    } else if (key >= Qt::Key_Space && key <= Qt::Key_AsciiTilde) {
        char16_t unit = static_cast<char16_t>(key);
        if (unit >= u'A' && unit <= u'Z' && !(event.modifiers() & Qt::ShiftModifier))
            unit = static_cast<char16_t>(unit + 0x20);
        result.charactersIgnoringModifiers = std::u16string(1, unit);
    } else if (const QString text = event.text(); !text.isEmpty() && text.front().unicode() >= 0x20) {
        result.charactersIgnoringModifiers = toU16(text);
    } else {
        // Cursor and function keys: a code of their own that no table lists.
        result.charactersIgnoringModifiers = std::u16string(1, static_cast<char16_t>(0xF700 + (key & 0xFF)));
    }

    const Qt::KeyboardModifiers modifiers = event.modifiers();
    if (modifiers & Qt::ShiftModifier)
        result.modifierFlags |= WKeyEvent::ShiftKeyMask;
    if (modifiers & Qt::ControlModifier)
        result.modifierFlags |= WKeyEvent::ControlKeyMask;
    if (modifiers & Qt::AltModifier)
        result.modifierFlags |= WKeyEvent::AlternateKeyMask;
    if (modifiers & Qt::MetaModifier)
        result.modifierFlags |= WKeyEvent::CommandKeyMask;
    return result;
}

bool WTextViewController::routeKey(QKeyEvent* event)
{
    // The key press after a shortcut check gets the answer given then: the
    // scheme has already acted on it and recorded it as the previous key.
    if (mPending.valid && mPending.key == event->key() && mPending.modifiers == event->modifiers()
        && mPending.timestamp == event->timestamp()) {
        mPending.valid = false;
        return mPending.taken;
    }
    mPending.valid = false;
    const auto key = keyEventFor(*event);
    return key && mTextView.keyDown(*key);
}

bool WTextViewController::eventFilter(QObject* watched, QEvent* event)
{
    if (!mWidget)
        return false;
    if (watched == mWidget && event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        mPending.valid = false;
        const bool taken = routeKey(key);
        mPending = {key->key(), key->modifiers(), key->timestamp(), taken, true};
        if (taken) {
            // Ours: the key press comes to the view and no menu shortcut fires.
            event->accept();
            return true;
        }
        return false;
    }

    if (watched == mWidget->viewport()) {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            const WDragInfo info = dragInfoFor(*drag->mimeData(), drag->possibleActions());
            switch (WTextView::draggingUpdated(info)) {
            case WDragOperation::Copy:
                drag->setDropAction(Qt::CopyAction);
                drag->accept();
                return true;
            case WDragOperation::Link:
                drag->setDropAction(Qt::LinkAction);
                drag->accept();
                return true;
            case WDragOperation::None:
                drag->ignore();
                return true;
            case WDragOperation::Standard:
                return false;
            }
            return false;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            const WDragInfo info = dragInfoFor(*drop->mimeData(), drop->possibleActions());
            const WDragOperation operation = WTextView::draggingUpdated(info);
            const WDropOutcome outcome = mTextView.concludeDragOperation(info);
            // This desktop keeps no clipping files of its own; their text goes in like any file's.
            for (const auto& file : outcome.standardFiles)
                mTextView.insertTextOfFile(file);
            if (!outcome.handled && outcome.standardFiles.empty())
                return false;  // text and anything else: the widget's own drop, which makes line ends CR
            drop->setDropAction(operation == WDragOperation::Link ? Qt::LinkAction : Qt::CopyAction);
            drop->accept();
            mWidget->setFocus();
            return true;
        }
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------
// Drag and drop

WDragInfo WTextViewController::dragInfoFor(const QMimeData& mime, Qt::DropActions possible)
{
    WDragInfo info;
    if (mime.hasColor()) {
        const QColor color = qvariant_cast<QColor>(mime.colorData());
        if (color.isValid()) {
            info.color = WColor{static_cast<float>(color.redF()), static_cast<float>(color.greenF()),
                                static_cast<float>(color.blueF()), static_cast<float>(color.alphaF())};
        }
    }
    if (mime.hasUrls()) {
        for (const QUrl& url : mime.urls()) {
            if (url.isLocalFile())
                info.fileNames.emplace_back(url.toLocalFile().toStdString());
            else
                info.urls.push_back(toU16(url.toString()));
        }
    }
    if (mime.hasText())
        info.text = toU16(mime.text());
    info.allowsCopy = possible.testFlag(Qt::CopyAction);
    info.allowsLink = possible.testFlag(Qt::LinkAction);
    return info;
}

// ---------------------------------------------------------------------------
// Menus

void WTextViewController::showContextMenu(const QPoint& position)
{
    if (!mWidget)
        return;
    // Built afresh each time, so a changed tag file shows at once; its items go
    // to the focused view first, then to the document and the application.
    std::unique_ptr<WMenu> model = mTextView.menuForEvent();
    // The program's own items in the user's language; what they hold (tags,
    // bookmarks, add-ons) is shown as it is.
    static const char* const ownTitles[] = {
        QT_TR_NOOP("Cut"),       QT_TR_NOOP("Copy"),      QT_TR_NOOP("Paste"), QT_TR_NOOP("Select All"),
        QT_TR_NOOP("Information"), QT_TR_NOOP("HTML Tags"), QT_TR_NOOP("URLs"),  QT_TR_NOOP("Tools")};
    for (const auto& item : model->itemArray()) {
        const QString title = QString::fromStdU16String(item->title());
        for (const char* own : ownTitles) {
            if (title == QLatin1String(own))
                item->setTitle(tr(own).toStdU16String());
        }
    }
    std::unique_ptr<QMenu> menu(WMenuRenderer::createMenu(std::move(model)));
    menu->exec(mWidget->mapToGlobal(position));
}
