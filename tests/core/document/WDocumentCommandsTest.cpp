// What the document commands decide before anything reaches the desktop: the
// counts of the information sheet and how a browser is started.
#include <gtest/gtest.h>

#include "document/WBrowserChoice.h"
#include "document/WTextInformation.h"

TEST(TextInformation, CountsTheWholeTextAndTheSelection)
{
    const WTextInformation empty = WTextInformation::of(u"", {0, 0});
    EXPECT_EQ(empty, (WTextInformation{0, 0, 0, 0}));
    EXPECT_EQ(empty.message(),
              "Whole Text :\n  Character Count : 0\n  Line Count : 0\n\n"
              "Selected Text :\n  Character Count : 0\n  Line Count : 0");

    EXPECT_EQ(WTextInformation::of(u"abc\rde", {0, 6}), (WTextInformation{6, 2, 6, 2}));
    // A line end closing the text starts a last, empty line; a caret selects nothing.
    EXPECT_EQ(WTextInformation::of(u"abc\r", {4, 0}), (WTextInformation{4, 2, 0, 0}));
    EXPECT_EQ(WTextInformation::of(u"abc\rde", {2, 3}), (WTextInformation{6, 2, 3, 2}));
    // Code units, not characters: a character beyond the BMP counts twice.
    EXPECT_EQ(WTextInformation::of(u"\U0001F600", {0, 2}), (WTextInformation{2, 1, 2, 1}));
    // A selection left over from a longer text counts what is there.
    EXPECT_EQ(WTextInformation::of(u"ab", {1, 10}), (WTextInformation{2, 1, 1, 1}));
    EXPECT_EQ(WTextInformation::of(u"ab", {7, 3}), (WTextInformation{2, 1, 0, 0}));
}

TEST(BrowserChoice, ThePreferencesPickTheDesktopANamedBrowserOrNothing)
{
    const std::string url = "file:///home/u/site/index.html";
    WBrowserChoice desktop = WBrowserChoice::choose(1, "firefox", true, url);
    EXPECT_EQ(desktop.kind, WBrowserChoice::Kind::DesktopDefault);
    EXPECT_EQ(desktop.arguments, std::vector<std::string>{url});

    WBrowserChoice tab = WBrowserChoice::choose(2, "firefox", false, url);
    EXPECT_EQ(tab.kind, WBrowserChoice::Kind::Program);
    EXPECT_EQ(tab.program, "firefox");
    EXPECT_EQ(tab.arguments, std::vector<std::string>{url});

    WBrowserChoice window = WBrowserChoice::choose(2, "  /usr/bin/chromium   --incognito ", true, url);
    EXPECT_EQ(window.program, "/usr/bin/chromium");
    EXPECT_EQ(window.arguments, (std::vector<std::string>{"--incognito", "--new-window", url}));

    // A browser without a new-window argument still gets the file.
    EXPECT_EQ(WBrowserChoice::choose(2, "konqueror", true, url).arguments, std::vector<std::string>{url});
    EXPECT_EQ(WBrowserChoice::choose(2, "qutebrowser", true, url).arguments,
              (std::vector<std::string>{"--target", "window", url}));

    // No browser named, or a choice the editor does not know: nothing is started.
    for (int32_t preferred : {0, 3, -1})
        EXPECT_EQ(WBrowserChoice::choose(preferred, "firefox", true, url).kind, WBrowserChoice::Kind::None);
    EXPECT_EQ(WBrowserChoice::choose(2, " \t", false, url).kind, WBrowserChoice::Kind::None);
}

TEST(BrowserChoice, NewWindowArgumentsGoByTheProgramsName)
{
    EXPECT_EQ(WBrowserChoice::newWindowArguments("firefox-esr"), std::vector<std::string>{"--new-window"});
    EXPECT_EQ(WBrowserChoice::newWindowArguments("/opt/google/chrome/google-chrome"),
              std::vector<std::string>{"--new-window"});
    EXPECT_EQ(WBrowserChoice::newWindowArguments("epiphany-browser"), std::vector<std::string>{"--new-window"});
    EXPECT_TRUE(WBrowserChoice::newWindowArguments("midori").empty());
    EXPECT_TRUE(WBrowserChoice::newWindowArguments("").empty());
    EXPECT_TRUE(WBrowserChoice::newWindowArguments("firefox/").empty());
}
