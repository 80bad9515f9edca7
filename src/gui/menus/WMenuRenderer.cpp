#include "menus/WMenuRenderer.h"

#include <QAction>
#include <QMenu>
#include <QVariant>

#include "menus/WMenuDispatcher.h"
#include "menus/WMenuShortcuts.h"
#include "menus/WMenuTitles.h"

namespace {

const char* const kItemProperty = "wexelMenuItem";
const char* const kRenderedProperty = "wexelRendered";

// Keeps the model alive as long as the QMenu showing it.
class ModelHolder : public QObject {
public:
    ModelHolder(std::unique_ptr<WMenu> model, QObject* parent) : QObject(parent), mModel(std::move(model))
    {
        setObjectName(QStringLiteral("wexelMenuModel"));
    }
    WMenu& model() { return *mModel; }

private:
    std::unique_ptr<WMenu> mModel;
};

QString titleOf(const WMenuItem& item)
{
    // Titles are shown as they are: "&" is not a mnemonic marker here.
    return WMenuTitles::escaped(QString::fromStdU16String(item.title()));
}

// Menus are made whole at once up to this many items, so that the tag, font
// and size menus are all there from the start; beyond it (browser bookmarks
// run to tens of thousands) a submenu is made when it is first opened.
constexpr size_t kItemsMadeAtOnce = 2000;

size_t itemsUnder(const WMenu& menu)
{
    size_t count = menu.itemArray().size();
    for (const auto& item : menu.itemArray()) {
        if (const WMenu* submenu = item->submenu())
            count += itemsUnder(*submenu);
    }
    return count;
}

void fill(QMenu* qmenu, WMenu& model, QObject* context, size_t& budget);

void addItem(QMenu* qmenu, WMenuItem& item, size_t& budget)
{
    if (item.isSeparatorItem()) {
        qmenu->addSeparator()->setProperty(kRenderedProperty, true);
        return;
    }
    QAction* action;
    if (WMenu* submenu = item.submenu()) {
        auto* sub = new QMenu(titleOf(item), qmenu);
        sub->setProperty(kRenderedProperty, true);
        if (size_t size = itemsUnder(*submenu); size <= budget) {
            budget -= size;
            fill(sub, *submenu, sub, budget);
        } else {
            QObject::connect(
                sub, &QMenu::aboutToShow, sub,
                [sub, submenu] {
                    size_t fresh = kItemsMadeAtOnce;
                    fill(sub, *submenu, sub, fresh);
                    WMenuRenderer::validate(sub);
                },
                Qt::SingleShotConnection);
        }
        action = sub->menuAction();
        qmenu->addAction(action);
    } else {
        action = qmenu->addAction(titleOf(item));
    }
    action->setProperty(kItemProperty, QVariant::fromValue<quintptr>(reinterpret_cast<quintptr>(&item)));
    action->setProperty(kRenderedProperty, true);
    WMenuShortcuts::setShortcuts(action, {WMenuRenderer::keySequenceFor(item)});
    action->setEnabled(item.isEnabled() && (item.hasSubmenu() || !item.action().empty()));
    if (!item.action().empty() && !item.hasSubmenu()) {
        QObject::connect(action, &QAction::triggered, action, [&item] { WMenuDispatcher::sendAction(item); });
    }
}

// The connections live as long as context: the model's holder for the menu
// rendered into, so that rendering again does not stack them up.
void fill(QMenu* qmenu, WMenu& model, QObject* context, size_t& budget)
{
    for (const auto& item : model.itemArray())
        addItem(qmenu, *item, budget);
    QObject::connect(qmenu, &QMenu::aboutToShow, context, [qmenu] { WMenuRenderer::validate(qmenu); });
    // Closed, the items take their shortcuts again; a shortcut is validated when it is used.
    QObject::connect(qmenu, &QMenu::aboutToHide, context, [qmenu] {
        for (QAction* action : qmenu->actions()) {
            if (WMenuItem* item = WMenuRenderer::itemOf(action); item && !item->action().empty())
                action->setEnabled(true);
        }
    });
}

// Validates the menu's items and, first, those of their submenus, so that an
// item holding a checked item shows a check mark too. True when one is checked.
bool validateTree(QMenu* qmenu, const WResponderChain& chain)
{
    bool anyChecked = false;
    for (QAction* action : qmenu->actions()) {
        WMenuItem* item = WMenuRenderer::itemOf(action);
        if (!item)
            continue;
        bool checked;
        if (action->menu()) {
            checked = validateTree(action->menu(), chain);
            action->setEnabled(true);
        } else {
            action->setEnabled(chain.validateItem(*item));
            checked = item->state() == WOnState;
        }
        action->setCheckable(checked);
        action->setChecked(checked);
        anyChecked = anyChecked || checked;
    }
    return anyChecked;
}

bool showTreeStates(QMenu* qmenu)
{
    bool anyChecked = false;
    for (QAction* action : qmenu->actions()) {
        WMenuItem* item = WMenuRenderer::itemOf(action);
        if (!item)
            continue;
        const bool checked = action->menu() ? showTreeStates(action->menu()) : item->state() == WOnState;
        action->setCheckable(checked);
        action->setChecked(checked);
        anyChecked = anyChecked || checked;
    }
    return anyChecked;
}

}  // namespace

void WMenuRenderer::render(std::unique_ptr<WMenu> model, QMenu* target)
{
    if (!target || !model)
        return;
    for (QAction* action : target->actions()) {
        if (action->property(kRenderedProperty).toBool()) {
            target->removeAction(action);
            if (action->parent() == target)
                delete action;
        }
    }
    for (QObject* child : target->children()) {
        if (child->property(kRenderedProperty).toBool() || child->objectName() == QStringLiteral("wexelMenuModel")) {
            child->setParent(nullptr);  // out of the menu's children at once
            child->deleteLater();
        }
    }
    auto* holder = new ModelHolder(std::move(model), target);
    size_t budget = kItemsMadeAtOnce;
    fill(target, holder->model(), holder, budget);
}

QMenu* WMenuRenderer::createMenu(std::unique_ptr<WMenu> model, QWidget* parent)
{
    auto* menu = new QMenu(model ? QString::fromStdU16String(model->title()) : QString(), parent);
    render(std::move(model), menu);
    return menu;
}

WMenu* WMenuRenderer::modelOf(const QMenu* menu)
{
    if (!menu)
        return nullptr;
    for (QObject* child : menu->children()) {
        if (child->objectName() == QStringLiteral("wexelMenuModel"))
            return &static_cast<ModelHolder*>(child)->model();
    }
    return nullptr;
}

void WMenuRenderer::showStates(QMenu* menu)
{
    if (menu)
        showTreeStates(menu);
}

WMenuItem* WMenuRenderer::itemOf(const QAction* action)
{
    if (!action)
        return nullptr;
    QVariant value = action->property(kItemProperty);
    return value.isValid() ? reinterpret_cast<WMenuItem*>(value.value<quintptr>()) : nullptr;
}

QKeySequence WMenuRenderer::keySequenceFor(const WMenuItem& item)
{
    const std::u16string& key = item.keyEquivalent();
    if (key.size() != 1)
        return {};
    uint32_t mask = item.keyEquivalentModifierMask();
    int modifiers = 0;
    if (mask & WCommandKeyMask)
        modifiers |= Qt::CTRL;
    if (mask & WAlternateKeyMask)
        modifiers |= Qt::ALT;
    if (mask & WShiftKeyMask)
        modifiers |= Qt::SHIFT;
    if (mask & WControlKeyMask)
        modifiers |= Qt::META;  // the Control of the menus' home desktop; Ctrl already stands for Command

    char16_t unit = key.front();
    int qtKey;
    if (unit == u'\r' || unit == u'\n')
        qtKey = Qt::Key_Return;
    else if (unit == u'\t')
        qtKey = Qt::Key_Tab;
    else if (unit == 0x1B)
        qtKey = Qt::Key_Escape;
    else if (unit == 0x08 || unit == 0x7F)
        qtKey = Qt::Key_Backspace;
    else if (unit < 0x20)
        return {};
    else {
        QChar character(unit);
        // An upper-case key equivalent means Shift with the letter.
        if (character.isUpper())
            modifiers |= Qt::SHIFT;
        qtKey = character.toUpper().unicode();
    }
    return QKeySequence(modifiers | qtKey);
}

void WMenuRenderer::validate(QMenu* menu)
{
    if (menu)
        validateTree(menu, WMenuDispatcher::currentChain());
}
