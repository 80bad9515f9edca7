// The once-per-application objects and the desktop platform.
#include <QAction>
#include <QApplication>
#include <QFont>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "app/WApplicationDel.h"
#include "app/WGotoLineWindow.h"
#include "app/WQtPlatform.h"
#include "platform/WLog.h"
#include "prefs/WPrefsServer.h"
#include "search/WSearchServer.h"

namespace {
class ApplicationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        WPlatform::setShared(&platform);
        application = std::make_unique<WApplicationDel>(folder.filePath("Wexel.plist"));
    }
    void TearDown() override
    {
        application.reset();
        WPlatform::setShared(nullptr);
    }

    QTemporaryDir folder;
    WQtPlatform platform;
    std::unique_ptr<WApplicationDel> application;
};
}  // namespace

TEST_F(ApplicationTest, SharedObjectsAreMadeOnceAndWhenNeeded)
{
    EXPECT_EQ(WApplicationDel::shared(), application.get());
    // The preference store exists from the start and wrote the defaults out.
    EXPECT_TRUE(application->prefsServer().boolForKey("store_text_type"));
    EXPECT_EQ(application->prefsServer().stringForKey("font_name"), platform.userFixedPitchFontName());
    EXPECT_TRUE(QFile::exists(folder.filePath("Wexel.plist")));

    // One find controller, kept with what it was told.
    application->searchServer().setSearchString(u"needle");
    EXPECT_EQ(&application->searchServer(), &application->searchServer());
    EXPECT_EQ(application->searchServer().searchString(), u"needle");

    // Only the two font arrays are kept.
    EXPECT_FALSE(application->menuDict("font_family_array"));
    application->setMenuDict("font_size_array", {9.0, 12.0});
    application->setMenuDict("colours", {1});
    ASSERT_TRUE(application->menuDict("font_size_array"));
    EXPECT_EQ(application->menuDict("font_size_array")->size(), 2);
    EXPECT_FALSE(application->menuDict("colours"));
    EXPECT_FALSE(application->menuDict(""));
}

TEST_F(ApplicationTest, MainMenuHasTheItemsTheBuildersLookFor)
{
    for (const char* title : {"Font Family & Style", "Font Size", "HTML Tags", "URLs", "Tools"}) {
        QAction* item = application->mainMenuItem(QString::fromUtf8(title));
        ASSERT_NE(item, nullptr) << title;
        EXPECT_NE(item->menu(), nullptr) << title;
    }
    for (const char* title : {"New", "Open…", "Close", "Save", "Save As…", "Revert", "Undo", "Redo", "Cut", "Copy",
                              "Paste", "Select All", "Go to Line…"})
        EXPECT_NE(application->mainMenuItem(QString::fromUtf8(title)), nullptr) << title;
    EXPECT_EQ(application->mainMenuItem("No Such Item"), nullptr);
    application->constructMenus();  // must not disturb the menu when builders add nothing
    EXPECT_EQ(application->mainMenus().size(), 9);  // with Window and Help
}

TEST_F(ApplicationTest, GotoLineWindowShowsOnceAndHidesEmpty)
{
    WGotoLineWindow* window = application->gotoLineWindow();
    application->showGotoLineWindow();
    application->showGotoLineWindow();
    EXPECT_TRUE(window->isVisible());
    window->textField()->setText("12");
    application->hideGotoLineWindow();
    EXPECT_FALSE(window->isVisible());
    application->showGotoLineWindow();
    EXPECT_TRUE(window->textField()->text().isEmpty());
}

TEST_F(ApplicationTest, PlatformAnswersFromTheDesktop)
{
    EXPECT_FALSE(platform.userFixedPitchFontName().empty());
    const auto families = platform.fonts().families();
    ASSERT_FALSE(families.empty());
    // A Japanese font is there for Japanese text.
    EXPECT_TRUE(std::any_of(families.begin(), families.end(),
                            [](const std::string& family) { return family.find("IPA") != std::string::npos; }));
    const auto members = platform.fonts().membersOfFamily(families.front());
    EXPECT_FALSE(members.empty());
    EXPECT_TRUE(platform.fonts().membersOfFamily("No Such Family").empty());

    QImage image(37, 11, QImage::Format_RGB32);
    image.fill(Qt::white);
    const QString png = folder.filePath("dot.png");
    ASSERT_TRUE(image.save(png));
    const auto size = platform.imageSize(png.toStdString());
    ASSERT_TRUE(size);
    EXPECT_EQ(size->width, 37);
    EXPECT_EQ(size->height, 11);
    EXPECT_FALSE(platform.imageSize(folder.filePath("missing.png").toStdString()));
    EXPECT_FALSE(platform.isShiftKeyDown());
}

TEST_F(ApplicationTest, FontsAreFoundByFamilyOrByFace)
{
    const QFont family = WQtPlatform::fontNamed("IPAGothic", 14.0);
    EXPECT_EQ(family.family(), "IPAGothic");
    EXPECT_EQ(family.pointSizeF(), 14.0);

    // A face name as the font catalog gives it.
    const std::string fixed = platform.userFixedPitchFontName();
    for (const auto& member : platform.fonts().membersOfFamily(fixed)) {
        const QFont face = WQtPlatform::fontNamed(QString::fromStdString(member.fontName), 9.0);
        EXPECT_EQ(face.family().toStdString(), fixed) << member.fontName;
        EXPECT_EQ(face.pointSizeF(), 9.0);
    }

    // Unknown names and sizes fall back instead of failing.
    const QFont unknown = WQtPlatform::fontNamed("No Such Font", 0.0);
    EXPECT_EQ(unknown.family().toStdString(), fixed);
    EXPECT_GT(unknown.pointSizeF(), 0.0);
}

TEST_F(ApplicationTest, AMainMenuWithoutABuiltMenuStillStartsAndQuittingIsLogged)
{
    // No item is titled "URLs" any more: that builder gets nothing, the others run.
    application->mainMenuItem("URLs")->menu()->setTitle("Bookmarks");
    ASSERT_EQ(application->mainMenuItem("URLs"), nullptr);
    application->constructMenus();
    EXPECT_TRUE(application->mainMenuItem("Bookmarks")->menu()->isEmpty());
    EXPECT_FALSE(application->mainMenuItem("HTML Tags")->menu()->isEmpty());
    EXPECT_FALSE(application->mainMenuItem("Font Size")->menu()->isEmpty());
    ASSERT_TRUE(application->menuDict("font_family_array"));
    EXPECT_FALSE(application->menuDict("font_family_array")->isEmpty());
    EXPECT_EQ(application->menuDict("font_size_array")->size(), 10);

    std::vector<std::string> lines;
    WLog::Sink old = WLog::setSink([&lines](std::string_view line) { lines.emplace_back(line); });
    application.reset();
    WLog::setSink(old);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "WApplicationDel : dealloc"), lines.end());
}
