// The preference window and the key schemes' effect on the menus, on real
// widgets: check boxes clicked, pop-ups moved with the keyboard, keys typed.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QShortcut>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <set>

#include "app/WApplicationDel.h"
#include "app/WDocumentController.h"
#include "app/WQtPlatform.h"
#include "document/MyDocument.h"
#include "document/WDocumentWindow.h"
#include "editor/WKeyAssignServer.h"
#include "canvas/WTextCanvas.h"
#include "menus/WMenuShortcuts.h"
#include "platform/WLog.h"
#include "prefs/WColorWell.h"
#include "prefs/WPlistSerialization.h"
#include "prefs/WPreferenceWindow.h"
#include "prefs/WPrefsServer.h"

namespace {

class PreferenceWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        WPlatform::setShared(&platform);
        oldSink = WLog::setSink([this](std::string_view line) { logLines.emplace_back(line); });
    }
    void TearDown() override
    {
        application.reset();
        WLog::setSink(oldSink);
        WPlatform::setShared(nullptr);
    }

    QString plist() const { return folder.filePath(QStringLiteral("Wexel.plist")); }
    void start()
    {
        application = std::make_unique<WApplicationDel>(plist());
        application->constructMenus();
    }
    // Stored preferences before the application starts.
    void store(const WDictionary& preferences)
    {
        WPlistUserDefaults defaults(std::filesystem::path(plist().toStdString()));
        ASSERT_TRUE(defaults.setDictionary(preferences, WPrefsServer::userDefaultsKey));
    }
    WDictionary stored() const
    {
        WPlistUserDefaults defaults(std::filesystem::path(plist().toStdString()));
        return defaults.dictionaryForKey(WPrefsServer::userDefaultsKey).value_or(WDictionary());
    }

    WPreferenceWindow* open()
    {
        application->showPreferenceWindow();
        WPreferenceWindow* window = application->preferenceWindow();
        EXPECT_TRUE(window && window->isVisible());
        return window;
    }
    void press(WPreferenceWindow* window, QDialogButtonBox::StandardButton which)
    {
        QPushButton* button = window->findChild<QDialogButtonBox*>()->button(which);
        QTest::mouseClick(button, Qt::LeftButton);
    }
    // Space on the focused box, as the keyboard user toggles it.
    void tick(QCheckBox* box)
    {
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Space);
    }
    // Moves a pop-up with the arrow keys until it shows the title, as a user would.
    void choose(QComboBox* popup, const QString& title)
    {
        popup->setFocus();
        const int target = popup->findText(title);
        ASSERT_GE(target, 0) << title.toStdString();
        if (popup->currentIndex() < 0)
            QTest::keyClick(popup, Qt::Key_Home);
        while (popup->currentIndex() < target)
            QTest::keyClick(popup, Qt::Key_Down);
        while (popup->currentIndex() > target)
            QTest::keyClick(popup, Qt::Key_Up);
    }
    void useScheme(int scheme)
    {
        WPreferenceWindow* window = open();
        choose(window->keyAssignMenu(), window->keyAssignMenu()->itemText(window->keyAssignMenu()->findData(scheme)));
        press(window, QDialogButtonBox::Ok);
    }
    QList<QKeySequence> shortcutsOf(const char* title)
    {
        QAction* action = application->mainMenuItem(QString::fromUtf8(title));
        EXPECT_NE(action, nullptr) << title;
        return action ? action->shortcuts() : QList<QKeySequence>{};
    }

    QTemporaryDir folder;
    WQtPlatform platform;
    std::unique_ptr<WApplicationDel> application;
    std::vector<std::string> logLines;
    WLog::Sink oldSink;
};

QKeySequence keys(const char* text)
{
    return QKeySequence(QString::fromLatin1(text));
}

}  // namespace

TEST_F(PreferenceWindowTest, CancelAndTheCloseButtonThrowTheEditsAway)
{
    start();
    WPreferenceWindow* window = open();
    ASSERT_TRUE(window->wordWrapCheckBox()->isChecked());
    tick(window->wordWrapCheckBox());
    EXPECT_FALSE(window->wordWrapCheckBox()->isChecked());
    EXPECT_FALSE(application->prefsServer().tempDictionary().boolForKey("word_wrap"));  // the working copy only
    press(window, QDialogButtonBox::Cancel);
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(application->documentController().newDocument()->isWordWrapped());
    EXPECT_TRUE(open()->wordWrapCheckBox()->isChecked());
    EXPECT_TRUE(application->prefsServer().tempDictionary() == application->prefsServer().prefsDictionary());

    // A colour changed and the window closed with its close button: hidden, and not kept.
    const rgb_color before = application->prefsServer().colorForKey("comment_string_color");
    window->commentFontColorWell()->setColor(Qt::green);
    window->close();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(application->preferenceWindow(), window);  // kept for the next time
    EXPECT_EQ(application->prefsServer().colorForKey("comment_string_color"), before);
    EXPECT_EQ(stored().colorForKey("comment_string_color"), before);
    EXPECT_NE(open()->commentFontColorWell()->color(), QColor(Qt::green));
    // Escape cancels as well.
    tick(window->alwaysMakesANewWindowCheckBox());
    QTest::keyClick(window, Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(application->prefsServer().boolForKey("always_makes_a_new_window"));
    EXPECT_FALSE(open()->alwaysMakesANewWindowCheckBox()->isChecked());
}

TEST_F(PreferenceWindowTest, OkCommitsSizesFontsAndColoursToTheFile)
{
    start();
    WPreferenceWindow* window = open();
    choose(window->fontSizeMenu(), QStringLiteral("18"));
    window->baseColorWell()->setColor(QColor(64, 128, 191));
    tick(window->storeWindowStatusCheckBox());
    press(window, QDialogButtonBox::Ok);
    EXPECT_FALSE(window->isVisible());

    const WDictionary file = stored();
    ASSERT_NE(file.objectForKey("font_size"), nullptr);
    ASSERT_NE(file.objectForKey("font_size")->real(), nullptr);  // a real, not an integer
    EXPECT_EQ(*file.objectForKey("font_size")->real(), 18.0);
    const rgb_color base = file.colorForKey("base_string_color").value_or(rgb_color{});
    EXPECT_EQ(QColor::fromRgbF(base.red, base.green, base.blue, base.alpha), QColor(64, 128, 191));
    EXPECT_FALSE(file.boolForKey("store_window_status"));
    EXPECT_EQ(application->documentController().newDocument()->textViewFontSize(), 18.0f);
    EXPECT_EQ(open()->fontSizeMenu()->currentText(), "18");
}

TEST_F(PreferenceWindowTest, AnUnknownFontLeavesThePopupUnselectedUntilOneIsChosen)
{
    WDictionary preferences;
    preferences.setObject(WPlistValue(std::string("No Such Font Anywhere")), "font_name");
    preferences.setFloat(13.0f, "font_size");  // not in the size table either
    store(preferences);
    start();
    WPreferenceWindow* window = open();
    EXPECT_EQ(window->fontFamilyMenu()->currentIndex(), -1);
    EXPECT_EQ(window->fontSizeMenu()->currentIndex(), -1);
    EXPECT_NE(std::find(logLines.begin(), logLines.end(), "TextViewFontName : NotFound"), logLines.end());

    // Items are titled by family; the first face of the last family is chosen,
    // and its own font name is what is kept.
    ASSERT_GT(window->fontFamilyMenu()->count(), 0);
    const QString family = window->fontFamilyMenu()->itemText(window->fontFamilyMenu()->count() - 1);
    const int target = window->fontFamilyMenu()->findText(family);
    const std::vector<std::string> names = application->prefsServer().fontNameArray().value_or(std::vector<std::string>{});
    const auto tag = static_cast<size_t>(window->fontFamilyMenu()->itemData(target).toInt());
    ASSERT_LT(tag, names.size());
    choose(window->fontFamilyMenu(), family);
    press(window, QDialogButtonBox::Ok);
    EXPECT_EQ(application->prefsServer().stringForKey("font_name"), names[tag]);
    EXPECT_EQ(open()->fontFamilyMenu()->currentIndex(), target);
}

TEST_F(PreferenceWindowTest, ANewUserHasTheSystemsKeysAndAStoredSchemeIsKept)
{
    start();
    EXPECT_EQ(application->prefsServer().intForKey("key_bind_type"), WSystemDefault);
    WPreferenceWindow* window = open();
    EXPECT_EQ(window->keyAssignMenu()->currentData().toInt(), WSystemDefault);
    for (int scheme = 1; scheme <= 4; ++scheme)
        EXPECT_GE(window->keyAssignMenu()->findData(scheme), 0) << scheme;
    // The description follows the pop-up and names the Ctrl keys the scheme takes.
    choose(window->keyAssignMenu(), QStringLiteral("vi-like keys"));
    EXPECT_TRUE(window->keyAssignDescription()->text().startsWith("Takes Ctrl+H J K L X, with or without Shift"))
        << window->keyAssignDescription()->text().toStdString();
    choose(window->keyAssignMenu(), QStringLiteral("Wexel's own keys"));
    EXPECT_TRUE(window->keyAssignDescription()->text().contains("Ctrl+Shift+A D F S"));
    press(window, QDialogButtonBox::Cancel);

    application.reset();
    WDictionary preferences;
    preferences.setInt(WEmacsLike, "key_bind_type");
    store(preferences);
    start();
    EXPECT_EQ(application->prefsServer().intForKey("key_bind_type"), WEmacsLike);
}

TEST_F(PreferenceWindowTest, MenusNeverShowAShortcutTheSchemeTakes)
{
    start();
    struct Row {
        const char* title;
        // Shown under Wexel's own, Emacs-like, vi-like and the system's keys.
        QList<QKeySequence> shown[4];
    };
    const QKeySequence f3(Qt::Key_F3);
    const Row rows[] = {
        {"Find Next", {{f3}, {keys("Ctrl+G"), f3}, {keys("Ctrl+G"), f3}, {keys("Ctrl+G"), f3}}},
        {"Save", {{}, {keys("Ctrl+S")}, {keys("Ctrl+S")}, {keys("Ctrl+S")}}},
        {"Copy", {{}, {}, {keys("Ctrl+C")}, {keys("Ctrl+C")}}},
        {"Cut", {{}, {}, {}, {keys("Ctrl+X")}}},
        {"Go to Line…", {{}, {keys("Ctrl+L")}, {}, {keys("Ctrl+L")}}},
        {"Find…", {{}, {}, {keys("Ctrl+F")}, {keys("Ctrl+F")}}},
        {"Preferences…", {{keys("Ctrl+,")}, {keys("Ctrl+,")}, {keys("Ctrl+,")}, {keys("Ctrl+,")}}},
        {"br", {{}, {}, {}, {keys("Ctrl+Shift+Return")}}},  // the tag menu's line break
    };
    MyDocument* document = application->documentController().newDocument();
    QShortcut* plain = nullptr;
    QShortcut* html = nullptr;
    for (QShortcut* shortcut : document->window()->findChildren<QShortcut*>()) {
        const QList<QKeySequence> all = shortcut->property("wexelAllShortcuts").value<QList<QKeySequence>>();
        if (all == QList<QKeySequence>{keys("Ctrl+/")})
            plain = shortcut;
        if (all == QList<QKeySequence>{keys("Ctrl+M")})
            html = shortcut;
    }
    ASSERT_TRUE(plain && html);

    for (int scheme : {WWexelOriginal, WEmacsLike, WViLike, WSystemDefault}) {
        useScheme(scheme);  // through the window: the menus follow at once
        ASSERT_EQ(application->prefsServer().intForKey("key_bind_type"), scheme);
        for (const Row& row : rows)
            EXPECT_EQ(shortcutsOf(row.title), row.shown[scheme - 1]) << row.title << " under " << scheme;
        // The text-type pop-up's keys: Ctrl+M types a line end under the first two.
        const bool mTaken = scheme == WWexelOriginal || scheme == WEmacsLike;
        EXPECT_EQ(html->keys().isEmpty(), mTaken) << scheme;
        EXPECT_EQ(plain->keys(), QList<QKeySequence>{keys("Ctrl+/")}) << scheme;
    }
}

TEST_F(PreferenceWindowTest, TakenKeysActInTheTextAndEveryMenuHasItsOwnMnemonic)
{
    start();
    useScheme(WWexelOriginal);
    MyDocument* document = application->documentController().newDocument();
    WTextCanvas* view = document->textView();
    document->setAutoIndented(false);
    QApplication::setActiveWindow(document->window());
    view->setFocus();
    ASSERT_TRUE(QTest::qWaitForWindowActive(document->window()));
    QTest::keyClicks(view, "ab");
    QTest::keyClick(view, Qt::Key_M, Qt::ControlModifier);  // a line end, not the X/HTML text type
    EXPECT_EQ(view->string(), u"ab\r");
    EXPECT_EQ(document->textType(), WTextPlain);
    QTest::keyClick(view, Qt::Key_Slash, Qt::ControlModifier);  // free: still the pop-up's key
    EXPECT_EQ(document->textType(), WTextPlain);

    // Every menu of the bar opens with Alt and a letter of its own.
    std::set<QChar> letters;
    for (QMenu* menu : application->mainMenus()) {
        const QKeySequence mnemonic = QKeySequence::mnemonic(menu->title());
        ASSERT_FALSE(mnemonic.isEmpty()) << menu->title().toStdString();
        EXPECT_TRUE(letters.insert(QChar(mnemonic[0].key())).second) << menu->title().toStdString();
    }
    QMenu* tools = application->mainMenuItem(QStringLiteral("Tools"))->menu();
    ASSERT_NE(tools, nullptr);
    QTest::keyClick(view, Qt::Key_O, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([tools] { return tools->isVisible(); }, 2000));
    QTest::keyClick(tools, Qt::Key_Escape);
}

TEST_F(PreferenceWindowTest, EveryControlIsReachedWithAnAltKeyOfItsOwn)
{
    start();
    WPreferenceWindow* window = open();
    auto* tabs = window->findChild<QTabWidget*>();
    ASSERT_NE(tabs, nullptr);
    std::set<int> tabKeys;
    for (int i = 0; i < tabs->count(); ++i) {
        const QKeySequence mnemonic = QKeySequence::mnemonic(tabs->tabText(i));
        ASSERT_FALSE(mnemonic.isEmpty()) << tabs->tabText(i).toStdString();
        EXPECT_TRUE(tabKeys.insert(mnemonic[0].key()).second) << tabs->tabText(i).toStdString();
    }
    for (int i = 0; i < tabs->count(); ++i) {
        // The tabs' keys work on every page, so a page's controls need others.
        std::set<int> keys = tabKeys;
        auto check = [&](const QString& title) {
            const QKeySequence mnemonic = QKeySequence::mnemonic(title);
            ASSERT_FALSE(mnemonic.isEmpty()) << title.toStdString();
            EXPECT_TRUE(keys.insert(mnemonic[0].key()).second) << title.toStdString();
        };
        for (QCheckBox* box : tabs->widget(i)->findChildren<QCheckBox*>())
            check(box->text());
        for (QLabel* label : tabs->widget(i)->findChildren<QLabel*>())
            if (label->buddy())
                check(label->text());
    }

    press(window, QDialogButtonBox::Cancel);
}
