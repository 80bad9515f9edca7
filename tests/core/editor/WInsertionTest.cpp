#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/xattr.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "WMemoryTextView.h"
#include "editor/WTextView.h"
#include "menus/WMenuItem.h"
#include "platform/WLog.h"
#include "platform/WPlainPlatform.h"
#include "text/WStringUtils.h"

namespace fs = std::filesystem;

namespace {

class Insertions : public ::testing::Test {
protected:
    void SetUp() override
    {
        WPlatform::setShared(&platform);
        oldSink = WLog::setSink([this](std::string_view line) { logLines.emplace_back(line); });
        folder = fs::temp_directory_path() / ("wexel-insert-" + std::to_string(::getpid()));
        fs::create_directories(folder);
        WTextView::Hooks hooks;
        hooks.documentFileName = [this]() -> std::optional<fs::path> { return documentFile; };
        hooks.useXhtmlSyntax = [this] { return xhtml; };
        textView = std::make_unique<WTextView>(view, hooks);
    }
    void TearDown() override
    {
        WLog::setSink(oldSink);
        WPlatform::setShared(nullptr);
        fs::remove_all(folder);
    }

    void reset(std::u16string text, WRange selection)
    {
        view.setString(text);
        view.setSelectedRange(selection);
        view.insertCount = 0;
    }

    fs::path writeFile(const std::string& name, const std::string& bytes)
    {
        const fs::path file = folder / name;
        std::ofstream(file, std::ios::binary) << bytes;
        return file;
    }

    WPlainPlatform platform;
    WMemoryTextView view;
    std::unique_ptr<WTextView> textView;
    std::optional<fs::path> documentFile;
    bool xhtml = true;
    fs::path folder;
    std::vector<std::string> logLines;
    WLog::Sink oldSink;
};

TEST_F(Insertions, TagSelectionKinds)
{
    const std::u16string text = u"x foo y";
    const WRange foo{2, 3};
    struct Case {
        int32_t kind;
        WRange withSelection;
        WRange withCaret;
    } cases[] = {
        {WSelectBeginingOfInsersionPoint, {2, 0}, {2, 0}},
        {WSelectEndOfInsertionPoint, {12, 0}, {9, 0}},
        {WSelectWholeInsertionPoint, {2, 10}, {2, 7}},
        {WSelectInsideInsertionPoint, {5, 3}, {5, 0}},
        {0, {12, 0}, {9, 0}},
        {9, {12, 0}, {9, 0}},
    };
    for (const auto& c : cases) {
        reset(text, foo);
        textView->insertTagsWithPrefix(u"<b>", u"</b>", std::nullopt, c.kind);
        EXPECT_EQ(view.string(), u"x <b>foo</b> y") << c.kind;
        EXPECT_EQ(view.selectedRange(), c.withSelection) << c.kind;
        EXPECT_EQ(view.scrolledTo.back(), c.withSelection);
        EXPECT_EQ(view.insertCount, 1);

        reset(text, {2, 0});
        textView->insertTagsWithPrefix(u"<b>", u"</b>", std::nullopt, c.kind);
        EXPECT_EQ(view.string(), u"x <b></b>foo y") << c.kind;
        EXPECT_EQ(view.selectedRange(), c.withCaret) << c.kind;
    }
}

TEST_F(Insertions, TagItems)
{
    WMenuItem item(u"b", "insertMenuTag:");
    item.setAttachedObj(WMenuDictionary{{u"pre", u"<b>"}, {u"post", u"</b>"}});
    auto insert = [&](std::u16string text, WRange selection, const WTagItem& tag) {
        reset(std::move(text), selection);
        textView->insertMenuTag(tag);
        return std::make_pair(view.string(), view.selectedRange());
    };
    reset(u"foo", {0, 3});
    EXPECT_TRUE(textView->tryToPerform("insertMenuTag:", &item));
    EXPECT_EQ(view.selectedRange(), (WRange{0, 10}));  // no "select": all of it
    item.attachedDictionary()->insert_or_assign(u"select", u"inside");
    const WTagItem inside = WTagItem::fromMenuItem(item);
    EXPECT_EQ(insert(u"foo", {0, 3}, inside), std::make_pair(std::u16string(u"<b>foo</b>"), WRange{3, 3}));
    EXPECT_EQ(insert(u"", {0, 0}, inside), std::make_pair(std::u16string(u"<b></b>"), WRange{3, 0}));
    EXPECT_EQ(insert(u"foo", {0, 3}, {u"<b>", u"</b>", {}, u"bogus"}).second, (WRange{0, 10}));

    // A single text stands alone with nothing selected and is ignored otherwise.
    const WTagItem br{u"<p>", u"</p>", u"<br />", u"post"};
    EXPECT_EQ(insert(u"ab", {1, 0}, br), std::make_pair(std::u16string(u"a<br />b"), WRange{7, 0}));
    EXPECT_EQ(insert(u"ab", {1, 1}, br).first, u"a<p>b</p>");
    // Inside a single text shorter than the prefix the caret stays within it.
    EXPECT_EQ(insert(u"", {0, 0}, {u"<blockquote>", u"", u"<hr>", u"inside"}).second, (WRange{4, 0}));
    // Tag texts never bring LF into the text; missing ones count as empty.
    EXPECT_EQ(insert(u"x", {0, 1}, {u"<ul>\n<li>", u"</li>\r\n</ul>", {}, {}}).first, u"<ul>\r<li>x</li>\r</ul>");
    EXPECT_EQ(insert(u"x", {0, 1}, WTagItem{}), std::make_pair(std::u16string(u"x"), WRange{0, 1}));
}

TEST_F(Insertions, Links)
{
    reset(u"see ", {4, 0});
    textView->insertURL(u"http://a.example/");
    EXPECT_EQ(view.string(), u"see http://a.example/");
    EXPECT_EQ(view.selectedRange(), (WRange{4, 17}));

    reset(u"see here", {4, 4});
    textView->insertURL(u"http://a.example/");
    EXPECT_EQ(view.string(), u"see <a href=\"http://a.example/\">here</a>");
    EXPECT_EQ(view.selectedRange(), (WRange{4, 36}));

    WMenuItem bookmark(u"A", "insertMenuURL:");
    bookmark.setAttachedObj(WMenuDictionary{{u"title", u"A"}, {u"url", u"http://b.example/"}});
    reset(u"", {0, 0});
    EXPECT_TRUE(textView->tryToPerform("insertMenuURL:", &bookmark));
    EXPECT_EQ(view.string(), u"http://b.example/");
    EXPECT_EQ(view.selectedRange(), (WRange{0, 17}));
    EXPECT_EQ(view.scrolledTo.back(), (WRange{0, 17}));
    reset(u"b", {0, 1});
    textView->insertMenuURL(bookmark);
    EXPECT_EQ(view.string(), u"<a href=\"http://b.example/\">b</a>");
}

TEST(RelativePath, ClimbsAndDescends)
{
    const std::u16string page = u"/a/b/page.html";
    EXPECT_EQ(WStringUtils::relativePathFrom(page, u"/a/b/img/x.png"), u"./img/x.png");
    EXPECT_EQ(WStringUtils::relativePathFrom(page, u"/a/b/x.png"), u"./x.png");
    EXPECT_EQ(WStringUtils::relativePathFrom(page, u"/a/c/x.png"), u"../c/x.png");
    EXPECT_EQ(WStringUtils::relativePathFrom(page, u"/a/bc/x.png"), u"../bc/x.png");  // not inside /a/b
    EXPECT_EQ(WStringUtils::relativePathFrom(page, u"/z/x.png"), u"../../z/x.png");
    EXPECT_EQ(WStringUtils::relativePathFrom(u"/page.html", u"/x.png"), u"./x.png");
    EXPECT_EQ(WStringUtils::relativePathFrom(u"/page.html", u"/d/x.png"), u"./d/x.png");
    EXPECT_EQ(WStringUtils::relativePathFrom(u"/a/page.html", u"/x.png"), u"../x.png");
    EXPECT_EQ(WStringUtils::relativePathFrom(u"/A/page.html", u"/a/x.png"), u"../a/x.png");  // case counts
    EXPECT_EQ(WStringUtils::relativePathFrom(u"page.html", u"/x.png"), u"source is not a file name.");
    EXPECT_EQ(WStringUtils::relativePathFrom(u"", u"/x.png"), u"source is not a file name.");
    EXPECT_EQ(WStringUtils::relativePathFrom(u"/p.html", u"x.png"), u"destination is not a file name");
}

TEST_F(Insertions, ImageTagsAndPaths)
{
    const fs::path image = "/site/img/logo.png";
    platform.imageSizes.push_back({image, {120, 80}});

    reset(u"", {0, 0});
    textView->insertImageTag(image);  // untitled: the absolute path
    EXPECT_EQ(view.string(), u"<img src=\"/site/img/logo.png\" width=\"120\" height=\"80\" alt=\"\" />");
    EXPECT_EQ(view.selectedRange(), (WRange{0, static_cast<uint32_t>(view.string().size())}));

    documentFile = "/site/index.html";
    xhtml = false;
    reset(u"x", {0, 1});
    textView->insertImageTag(image);
    EXPECT_EQ(view.string(), u"<img src=\"./img/logo.png\" width=\"120\" height=\"80\" alt=\"\">");

    reset(u"x", {0, 1});
    textView->insertImageTag("/site/img/missing.png");  // unreadable: nothing at all
    EXPECT_EQ(view.string(), u"x");
    EXPECT_EQ(view.insertCount, 0);

    reset(u"", {0, 0});
    textView->insertRelativePath("/site/doc/a.html");
    EXPECT_EQ(view.string(), u"./doc/a.html");
    EXPECT_EQ(view.selectedRange(), (WRange{12, 0}));
    reset(u"A", {0, 1});
    textView->insertRelativePath("/other/a.html");
    EXPECT_EQ(view.string(), u"<a href=\"../other/a.html\">A</a>");
    EXPECT_EQ(view.selectedRange(), (WRange{0, 31}));
    documentFile.reset();
    reset(u"", {0, 0});
    textView->insertRelativePath("/other/a.html");
    EXPECT_EQ(view.string(), u"/other/a.html");

    reset(u"c: ", {3, 0});
    textView->insertColorString({1.0f, 0.0f, 0.5f, 1.0f});
    EXPECT_EQ(view.string().substr(0, 4), u"c: #");
    EXPECT_EQ(view.selectedRange(), (WRange{3, 7}));
}

TEST_F(Insertions, FileTextArrivesWithCRLineEnds)
{
    const fs::path crlf = writeFile("crlf.txt", "one\r\ntwo\r\n");
    reset(u"[]", {1, 0});
    EXPECT_TRUE(textView->insertTextOfFile(crlf));
    EXPECT_EQ(view.string(), u"[one\rtwo\r]");
    EXPECT_EQ(view.selectedRange(), (WRange{1, 8}));
    EXPECT_EQ(view.scrolledTo.back(), (WRange{1, 8}));

    const fs::path utf8 = writeFile("utf8.txt", "\xe3\x81\x82\n\xe3\x81\x84");  // あ LF い
    reset(u"", {0, 0});
    EXPECT_TRUE(textView->insertTextOfFile(utf8));
    EXPECT_EQ(view.string(), u"\u3042\r\u3044");

    reset(u"keep", {0, 4});
    EXPECT_FALSE(textView->insertTextOfFile(writeFile("empty.txt", "")));
    EXPECT_FALSE(textView->insertTextOfFile(folder / "absent.txt"));
    // A folder and a pipe are no files: nothing is thrown, nothing waits for a writer.
    fs::create_directories(folder / "a folder.txt");
    EXPECT_FALSE(textView->insertTextOfFile(folder / "a folder.txt"));
    ASSERT_EQ(::mkfifo((folder / "pipe.txt").c_str(), 0600), 0);
    EXPECT_FALSE(textView->insertTextOfFile(folder / "pipe.txt"));
    EXPECT_EQ(view.string(), u"keep");
    EXPECT_EQ(logLines, std::vector<std::string>(4, "WTextView insertTextOfFile: - data length == 0"));
}

TEST(DragAcceptance, DependsOnWhatTheDragCarriesAndAllows)
{
    auto answer = [](bool color, bool files, bool copy, bool link) {
        WDragInfo drag;
        if (color)
            drag.color = WColor{};
        if (files)
            drag.fileNames = {"/a/b.txt"};
        drag.text = u"x";
        drag.allowsCopy = copy;
        drag.allowsLink = link;
        return WTextView::draggingEntered(drag);
    };
    EXPECT_EQ(answer(true, true, true, true), WDragOperation::Copy);
    EXPECT_EQ(answer(true, false, false, true), WDragOperation::Standard);  // a colour needs copying
    EXPECT_EQ(answer(false, true, true, true), WDragOperation::Link);
    EXPECT_EQ(answer(false, true, true, false), WDragOperation::Copy);
    EXPECT_EQ(answer(false, true, false, false), WDragOperation::None);
    EXPECT_EQ(answer(false, false, true, true), WDragOperation::Standard);
}

TEST_F(Insertions, DropsInsertAtTheSelection)
{
    documentFile = folder / "page.html";
    const fs::path first = writeFile("one.txt", "first\n");
    const fs::path second = writeFile("two.txt", "second");
    const fs::path jpg = folder / "pic.jpg";
    const fs::path upperJpg = writeFile("PIC.JPG", "not an image");
    platform.imageSizes.push_back({jpg, {2, 3}});

    WDragInfo drag;
    drag.fileNames = {first, second};
    drag.allowsLink = drag.allowsCopy = true;
    reset(u"<>", {1, 0});
    EXPECT_TRUE(textView->concludeDragOperation(drag).handled);
    EXPECT_EQ(view.string(), u"<first\rsecond>");  // in list order, none replacing another
    EXPECT_EQ(view.selectedRange(), (WRange{7, 6}));

    drag.fileNames = {jpg, upperJpg};
    reset(u"", {0, 0});
    textView->concludeDragOperation(drag);
    EXPECT_EQ(view.string(), u"<img src=\"./pic.jpg\" width=\"2\" height=\"3\" alt=\"\" />not an image");

    drag.fileNames = {first, second};
    drag.allowsLink = false;  // copy only: the first file's path, not its text
    reset(u"", {0, 0});
    textView->concludeDragOperation(drag);
    EXPECT_EQ(view.string(), u"./one.txt");

    WDragInfo colorDrop;
    colorDrop.color = WColor{0.0f, 1.0f, 0.0f, 1.0f};
    colorDrop.fileNames = {first};
    reset(u"", {0, 0});
    EXPECT_TRUE(textView->concludeDragOperation(colorDrop).handled);
    EXPECT_EQ(view.string().size(), 7u);
    EXPECT_EQ(view.string()[0], u'#');

    WDragInfo url;
    url.urls = {u"http://c.example/", u"http://d.example/"};
    url.text = u"ignored";
    reset(u"", {0, 0});
    textView->concludeDragOperation(url);
    EXPECT_EQ(view.string(), u"http://c.example/");

    WDragInfo text;
    text.text = u"a\r\nb\nc";
    reset(u"", {0, 0});
    const WDropOutcome outcome = textView->concludeDragOperation(text);
    EXPECT_FALSE(outcome.handled);
    EXPECT_EQ(outcome.standardText, std::u16string(u"a\rb\rc"));
    EXPECT_EQ(view.insertCount, 0);

    EXPECT_TRUE(textView->concludeDragOperation(WDragInfo{}).standardDrop);
}

TEST_F(Insertions, ClippingFilesGoToTheStandardDrop)
{
    const fs::path clipping = writeFile("clip", "text");
    if (::setxattr(clipping.c_str(), "user.wexel.type", "clpt", 4, 0) != 0
        || ::setxattr(clipping.c_str(), "user.wexel.creator", "MACS", 4, 0) != 0)
        GTEST_SKIP() << "no extended attributes here";
    const fs::path plain = writeFile("plain.txt", "p");
    EXPECT_TRUE(WTextView::isClippingFile(clipping));
    EXPECT_FALSE(WTextView::isClippingFile(plain));

    WDragInfo drag;
    drag.fileNames = {clipping, plain};
    drag.allowsLink = true;
    reset(u"", {0, 0});
    const WDropOutcome outcome = textView->concludeDragOperation(drag);
    EXPECT_EQ(outcome.standardFiles, std::vector<fs::path>{clipping});
    EXPECT_EQ(view.string(), u"p");
}

}  // namespace
