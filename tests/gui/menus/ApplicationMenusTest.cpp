#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

#include <filesystem>
#include <fstream>
#include <random>

#include <gtest/gtest.h>

#include "app/WApplicationDel.h"
#include "app/WDocumentController.h"
#include "app/WPresenter.h"
#include "document/MyDocument.h"
#include "document/WDocumentWindow.h"
#include "canvas/WTextCanvas.h"
#include "menus/WMenuRenderer.h"
#include "platform/WLog.h"
#include "platform/WPlainPlatform.h"
#include "PlacesDatabase.h"

namespace fs = std::filesystem;

namespace {

class SilentPresenter : public WPresenter {
public:
    void showError(QWidget*, const QString& message, const QString&) override { errors << message; }
    int ask(QWidget*, const QString&, const QString&, const QStringList& buttons) override
    {
        return static_cast<int>(buttons.size()) - 1;
    }
    QStringList errors;
};

// The application as it starts: its main menu filled from a home folder of
// our own, with one document open.
class ApplicationMenus : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::random_device random;
        home = fs::temp_directory_path() / ("wexel-app-menus-" + std::to_string(random()));
        addon = home / "Library" / "Wexel" / "add-ons" / "Upper-u.sh";
        fs::create_directories(addon.parent_path());
        std::ofstream(addon) << "#!/bin/sh\ntr a-z A-Z < \"$TMPFILE\"\n";
        fs::permissions(addon, fs::perms(0700));
        platform.home = home;
        platform.fontCatalog.familyNames = {"Serif", "Mono"};
        platform.fontCatalog.membersByFamily = {{"Serif", {{"Serif", "Regular"}, {"Serif Bold", "Bold"}}},
                                                {"Mono", {{"Mono", "Regular"}}}};
        WPlatform::setShared(&platform);
        auto owned = std::make_unique<SilentPresenter>();
        presenter = owned.get();
        WPresenter::setShared(std::move(owned));

        application = std::make_unique<WApplicationDel>(QString::fromStdString((home / "prefs.plist").string()));
        application->constructMenus();
        document = application->documentController().newDocument();
        ASSERT_NE(document, nullptr);
        QApplication::setActiveWindow(document->window());
        document->textView()->setFocus();
        ASSERT_TRUE(QTest::qWaitForWindowActive(document->window()));
    }
    void TearDown() override
    {
        application.reset();
        WPresenter::setShared(nullptr);
        WPlatform::setShared(nullptr);
        std::error_code error;
        fs::remove_all(home, error);
    }

    QAction* item(const char* title) { return application->mainMenuItem(QString::fromUtf8(title)); }

    fs::path home, addon;
    WPlainPlatform platform;
    SilentPresenter* presenter = nullptr;
    std::unique_ptr<WApplicationDel> application;
    MyDocument* document = nullptr;
};

}  // namespace

TEST_F(ApplicationMenus, StartFillsTheFiveMenusAndKeepsTheFontArrays)
{
    EXPECT_EQ(application->menuDict(QStringLiteral("font_family_array")),
              (QVariantList{QStringLiteral("Mono"), QStringLiteral("Serif"), QStringLiteral("Serif Bold")}));
    ASSERT_TRUE(application->menuDict(QStringLiteral("font_size_array")));
    EXPECT_EQ(application->menuDict(QStringLiteral("font_size_array"))->size(), 10);
    ASSERT_NE(item("strong"), nullptr);
    ASSERT_NE(item("MSIE"), nullptr);
    ASSERT_NE(item("Upper-u.sh"), nullptr);
    ASSERT_NE(item("Bold"), nullptr);

    // The document takes the size and font items, and shows the check marks.
    item("14")->trigger();
    EXPECT_EQ(document->textViewFontSize(), 14.0f);
    item("Bold")->trigger();
    EXPECT_EQ(document->textViewFontName(), QStringLiteral("Serif Bold"));
    QMenu* sizes = item("Font Size")->menu();
    WMenuRenderer::validate(sizes);
    EXPECT_TRUE(item("14")->isChecked());
    EXPECT_FALSE(item("12")->isChecked());
    WMenuRenderer::validate(item("Font Family & Style")->menu());
    EXPECT_TRUE(item("Bold")->isChecked());
    EXPECT_TRUE(item("Serif")->isChecked());  // the family holding the chosen face
    EXPECT_FALSE(item("Mono")->isChecked());
}

TEST_F(ApplicationMenus, AToolsItemRunsTheAddOnOnTheDocumentAndShiftOpensIt)
{
    WTextCanvas* view = document->textView();
    view->insertText(u"abc def");
    view->setSelectedRange({0, 3});
    item("Upper-u.sh")->trigger();
    EXPECT_EQ(view->string(), u"ABC def");
    EXPECT_TRUE(document->isDocumentEdited());
    EXPECT_TRUE(presenter->errors.isEmpty());

    platform.shiftKeyDown = true;
    item("Upper-u.sh")->trigger();
    platform.shiftKeyDown = false;
    EXPECT_EQ(view->string(), u"ABC def");
    ASSERT_EQ(application->documentController().documents().size(), 2u);
    EXPECT_EQ(application->documentController().documents().back()->fileName().toStdString(), addon.string());
}

TEST_F(ApplicationMenus, ABookmarkAddedInFirefoxShowsWhenTheMenuOpensAndWrapsTheSelection)
{
    QMenu* urls = item("URLs")->menu();
    ASSERT_NE(item("Firefox"), nullptr);
    EXPECT_EQ(item("MDN"), nullptr);
    {
        PlacesDatabase db(firefoxDefaultPlaces(home));
        db.bookmark(db.folder(PlacesDatabase::Menu, "Web"), "MDN", "https://developer.mozilla.org/");
    }
    emit urls->aboutToShow();
    QAction* bookmark = item("MDN");
    ASSERT_NE(bookmark, nullptr);
    EXPECT_TRUE(bookmark->isEnabled());

    WTextCanvas* view = document->textView();
    view->insertText(u"日本語 docs");
    view->setSelectedRange({4, 4});
    bookmark->trigger();
    EXPECT_EQ(view->string(), u"日本語 <a href=\"https://developer.mozilla.org/\">docs</a>");

    emit urls->aboutToShow();  // unchanged files: the same items, not built again
    EXPECT_EQ(item("MDN"), bookmark);
}

TEST_F(ApplicationMenus, AHugeBookmarkFolderIsMadeWhenFirstOpened)
{
    std::string json = R"({"roots": {"bookmark_bar": {"children": [{"type": "folder", "name": "Many", "children": [)";
    for (int i = 0; i < 5000; ++i)
        json += std::string(i ? "," : "") + R"({"type": "url", "name": "b)" + std::to_string(i) + R"(", "url": "u"})";
    json += "]}]}}}";
    fs::create_directories(home / ".config" / "chromium" / "Default");
    std::ofstream(home / ".config" / "chromium" / "Default" / "Bookmarks") << json;
    emit item("URLs")->menu()->aboutToShow();

    // The browser's submenu and its roots are made as they are opened, in turn.
    EXPECT_EQ(item("Bookmarks Bar"), nullptr);
    emit item("Chromium")->menu()->aboutToShow();
    emit item("Bookmarks Bar")->menu()->aboutToShow();
    ASSERT_NE(item("Many"), nullptr);
    EXPECT_EQ(item("b4999"), nullptr);
    emit item("Many")->menu()->aboutToShow();
    ASSERT_NE(item("b4999"), nullptr);
    EXPECT_EQ(item("Many")->menu()->actions().size(), 5000);
    emit item("Many")->menu()->aboutToShow();  // made once
    EXPECT_EQ(item("Many")->menu()->actions().size(), 5000);
}

// Keyboard use of the menu bar gives it the focus (Alt and a mnemonic, Escape,
// arrows between menus); the text's commands must stay enabled all the same.
TEST_F(ApplicationMenus, TextCommandsStayEnabledWhileTheMenuBarHasTheFocus)
{
    QMenuBar* bar = document->window()->menuBar();
    bar->setFocus(Qt::MenuBarFocusReason);
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == bar; }));
    QAction* strong = item("strong");
    ASSERT_NE(strong, nullptr);
    WMenuRenderer::validate(item("HTML Tags")->menu());
    EXPECT_TRUE(strong->isEnabled());

    strong->trigger();
    EXPECT_EQ(document->textView()->string(), u"<strong></strong>");
}

// The font marks are the main menu's: set when a document comes to the front
// or changes its font, and logged when its font is not in the menu.
TEST_F(ApplicationMenus, FontMarksFollowTheFrontDocumentAndAnUnknownFontIsLogged)
{
    std::vector<std::string> log;
    WLog::Sink old = WLog::setSink([&log](std::string_view line) { log.emplace_back(line); });
    auto checked = [this](const char* title) {
        WMenuRenderer::validate(item("Font Family & Style")->menu());
        WMenuRenderer::validate(item("Font Size")->menu());
        return item(title)->isChecked();
    };
    document->setTextViewFontName(QStringLiteral("Serif Bold"));
    document->setTextViewFontSize(18.0f);
    EXPECT_TRUE(checked("Bold"));
    EXPECT_TRUE(checked("Serif"));
    EXPECT_TRUE(checked("18"));
    EXPECT_TRUE(log.empty());

    document->setTextViewFontName(QStringLiteral("No Such Font"));
    EXPECT_EQ(log, std::vector<std::string>{"TextViewFontName : NotFound"});
    for (const char* title : {"Bold", "Serif", "Mono"})
        EXPECT_FALSE(checked(title)) << title;
    // A size the menu lacks leaves it unchecked without a word.
    document->setTextViewFontSize(13.0f);
    EXPECT_FALSE(checked("18"));
    EXPECT_EQ(log.size(), 1u);

    // Another document in front shows its own font.
    MyDocument* second = application->documentController().newDocument();
    second->setTextViewFontName(QStringLiteral("Mono"));
    second->setTextViewFontSize(9.0f);
    QApplication::setActiveWindow(document->window());
    ASSERT_TRUE(QTest::qWaitForWindowActive(document->window()));
    QApplication::setActiveWindow(second->window());
    ASSERT_TRUE(QTest::qWaitForWindowActive(second->window()));
    EXPECT_TRUE(checked("Mono"));
    EXPECT_TRUE(checked("9"));
    EXPECT_FALSE(checked("Bold"));
    WLog::setSink(old);
}
