#include <QAction>
#include <QApplication>
#include <QImage>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QMainWindow>
#include <QMenu>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

#include <memory>

#include "app/WQtPlatform.h"
#include "app/WQtStrings.h"
#include "editor/WTextViewController.h"
#include "canvas/WTextCanvas.h"
#include "menus/WMenu.h"
#include "menus/WMenuDispatcher.h"
#include "menus/WMenuRenderer.h"

namespace {

// A window with the text view and a menu command on Ctrl+S, as a document window has.
class KeyRouting : public ::testing::Test {
protected:
    void SetUp() override
    {
        window = std::make_unique<QMainWindow>();
        view = new WTextCanvas(window.get());
        window->setCentralWidget(view);
        menuSave = new QAction(QStringLiteral("Save"), window.get());
        menuSave->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
        window->addAction(menuSave);
        QObject::connect(menuSave, &QAction::triggered, [this] { ++menuSaves; });

        WTextView::Hooks hooks;
        hooks.keyBindType = [this] { return scheme; };
        hooks.isAutoIndented = [this] { return autoIndent; };
        hooks.saveDocument = [this] { ++saves; };
        controller = new WTextViewController(view, hooks);
    ASSERT_EQ(WTextViewController::controllerOf(view), controller);

        window->resize(400, 300);
        window->show();
        QApplication::setActiveWindow(window.get());
        view->setFocus();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    void load(std::u16string text, WRange selection = {})
    {
        view->loadString(text);
        view->setSelectedRange(selection);
    }
    void key(int code, Qt::KeyboardModifiers modifiers = Qt::NoModifier) { QTest::keyClick(view, Qt::Key(code), modifiers); }
    void ctrl(int code) { key(code, Qt::ControlModifier); }
    uint32_t caret() const { return view->selectedRange().location; }

    static std::u16string longText()
    {
        std::u16string text;
        for (int i = 0; i < 300; ++i)
            text += u"line of text\r";
        return text;
    }

    std::unique_ptr<QMainWindow> window;
    WTextCanvas* view = nullptr;
    WTextViewController* controller = nullptr;
    QAction* menuSave = nullptr;
    int32_t scheme = WWexelOriginal;
    bool autoIndent = true;
    int saves = 0;
    int menuSaves = 0;
};

TEST_F(KeyRouting, WexelSchemeTakesItsKeysBeforeMenuShortcuts)
{
    load(u"abc\rdef\rghi", {5, 0});
    ctrl(Qt::Key_Q);
    ctrl(Qt::Key_R);
    EXPECT_EQ(caret(), 0u);
    ctrl(Qt::Key_Q);
    ctrl(Qt::Key_C);
    EXPECT_EQ(caret(), 11u);
    ctrl(Qt::Key_S);  // moveBackward:, not the menu's Save
    EXPECT_EQ(caret(), 10u);
    EXPECT_EQ(menuSaves, 0);
    ctrl(Qt::Key_Q);
    ctrl(Qt::Key_Z);  // swallowed after the prefix
    EXPECT_EQ(view->string(), u"abc\rdef\rghi");
    ctrl(Qt::Key_H);
    EXPECT_EQ(view->string(), u"abc\rdef\rgi");
    key(Qt::Key_X);
    EXPECT_EQ(view->string(), u"abc\rdef\rgxi");

    // The system scheme leaves Ctrl+S to the menu.
    scheme = WSystemDefault;
    ctrl(Qt::Key_S);
    EXPECT_EQ(menuSaves, 1);
}

TEST_F(KeyRouting, EmacsEscapeAndControlXPrefixes)
{
    scheme = WEmacsLike;
    load(longText(), {static_cast<uint32_t>(longText().size()), 0});
    const uint32_t end = caret();
    key(Qt::Key_Escape);
    key(Qt::Key_V);  // page up
    EXPECT_LT(caret(), end);
    EXPECT_GT(caret(), 0u);
    EXPECT_EQ(view->string(), longText());

    ctrl(Qt::Key_X);
    ctrl(Qt::Key_S);
    EXPECT_EQ(saves, 1);
    EXPECT_EQ(menuSaves, 0);

    load(u"one two", {7, 0});
    key(Qt::Key_Escape);
    key(Qt::Key_D);  // the word before the caret
    EXPECT_EQ(view->string(), u"one ");
    key(Qt::Key_Escape);
    key(Qt::Key_Z);  // not listed: typed
    EXPECT_EQ(view->string(), u"one z");
}

TEST_F(KeyRouting, ReturnIndentsUnderMappingSchemesOnly)
{
    for (int32_t each : {WWexelOriginal, WEmacsLike, WViLike}) {
        scheme = each;
        load(u"\t  word", {7, 0});
        key(Qt::Key_Return);
        EXPECT_EQ(view->string(), u"\t  word\r\t  ") << each;
        EXPECT_EQ(caret(), 11u);
    }
    scheme = WSystemDefault;
    load(u"\t  word", {7, 0});
    key(Qt::Key_Return);
    EXPECT_EQ(view->string(), u"\t  word\r");
}

TEST_F(KeyRouting, EveryReturnTypesALineEnd)
{
    // Keys the scheme leaves to the widget: Qt would type its own soft line
    // break (U+2028) for some of them, which no Japanese encoding holds.
    const Qt::KeyboardModifiers modifiers[] = {Qt::ShiftModifier, Qt::AltModifier, Qt::ControlModifier,
                                               Qt::ShiftModifier | Qt::AltModifier,
                                               Qt::ShiftModifier | Qt::ControlModifier, Qt::MetaModifier};
    for (int32_t each : {WSystemDefault, WWexelOriginal}) {
        for (bool indent : {false, true}) {
            scheme = each;
            autoIndent = indent;
            for (int code : {Qt::Key_Return, Qt::Key_Enter}) {
                for (Qt::KeyboardModifiers held : modifiers) {
                    load(u"ab", {2, 0});
                    key(code, held);
                    EXPECT_EQ(view->string(), u"ab\r") << each << indent << code << held.toInt();
                    EXPECT_EQ(caret(), 3u);
                }
            }
        }
    }
}

TEST_F(KeyRouting, OneUndoRevertsABlockCommand)
{
    load(u"a\r\r  b\rend", {1, 0});
    key(Qt::Key_X);  // typing first, so the command must not merge with it
    view->setSelectedRange({0, 7});
    controller->textView().performAction("shiftRight:");
    EXPECT_EQ(view->string(), u"\tax\r\r\t  b\rend");
    view->undo();
    EXPECT_EQ(view->string(), u"ax\r\r  b\rend");

    const std::u16string line(61, u'w');
    load(line, {0, 0});
    controller->textView().performAction("wrapWithReturn:");
    EXPECT_EQ(view->string(), line.substr(0, 60) + u"\rw");
    view->undo();
    EXPECT_EQ(view->string(), line);
}

TEST_F(KeyRouting, MarkedTextBypassesTheEngine)
{
    load(longText(), {static_cast<uint32_t>(longText().size()), 0});
    ctrl(Qt::Key_Q);  // prefix pending

    QInputMethodEvent compose(QStringLiteral("\u304b"), {});
    QApplication::sendEvent(view, &compose);
    ASSERT_TRUE(view->hasMarkedText());
    const uint32_t before = caret();
    ctrl(Qt::Key_D);  // would move forward; the input method has it
    EXPECT_EQ(caret(), before);
    EXPECT_EQ(controller->textView().keyAssignServer().prevCharacter(), u"Q");

    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("\u304b"));
    QApplication::sendEvent(view, &commit);
    EXPECT_FALSE(view->hasMarkedText());
    EXPECT_EQ(view->string().back(), u'\u304b');

    ctrl(Qt::Key_R);  // the prefix survived: to the very beginning, not one page up
    EXPECT_EQ(caret(), 0u);
}

TEST_F(KeyRouting, StandardActionsOnTheRealWidget)
{
    view->setWordWrap(true);
    std::u16string paragraph;
    for (int i = 0; i < 40; ++i)
        paragraph += u"word ";
    load(paragraph + u"\rnext", {0, 0});

    auto& textView = controller->textView();
    textView.performAction("moveToEndOfLine:");
    const uint32_t lineEnd = caret();
    EXPECT_GT(lineEnd, 0u);
    EXPECT_LT(lineEnd, paragraph.size());
    textView.performAction("moveToEndOfParagraph:");
    EXPECT_EQ(caret(), paragraph.size());
    textView.performAction("moveToBeginningOfParagraph:");
    EXPECT_EQ(caret(), 0u);

    load(u"alpha beta", {7, 0});
    textView.performAction("uppercaseWord:");
    EXPECT_EQ(view->string(), u"alpha BETA");
    view->undo();
    EXPECT_EQ(view->string(), u"alpha beta");
    view->setSelectedRange({0, 10});
    textView.performAction("uppercaseWord:");
    textView.performAction("lowercaseWord:");
    EXPECT_EQ(view->string(), u"alpha beta");
    EXPECT_EQ(view->selectedRange(), (WRange{0, 10}));

    load(u"ab\rcd", {4, 0});
    textView.performAction("deleteToBeginningOfParagraph:");
    EXPECT_EQ(view->string(), u"ab\rd");
    textView.performAction("deleteToEndOfParagraph:");
    EXPECT_EQ(view->string(), u"ab\r");
    textView.performAction("deleteBackward:");
    EXPECT_EQ(view->string(), u"ab");
    textView.performAction("insertNewline:");
    textView.performAction("insertTab:");
    EXPECT_EQ(view->string(), u"ab\r\t");

    // The clipboard: pasted text arrives with CR line ends.
    QApplication::clipboard()->setText(QStringLiteral("x\r\ny"));
    textView.performAction("paste:");
    EXPECT_EQ(view->string(), u"ab\r\tx\ry");
    view->setSelectedRange({0, 2});
    textView.performAction("cut:");
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("ab"));
    EXPECT_EQ(view->string(), u"\r\tx\ry");

    load(u"one two\rthree", {5, 0});
    textView.performAction("deleteForward:");
    textView.performAction("deleteToEndOfLine:");
    EXPECT_EQ(view->string(), u"one t\rthree");
    textView.performAction("deleteToBeginningOfLine:");
    EXPECT_EQ(view->string(), u"\rthree");
    view->undo();
    EXPECT_EQ(view->string(), u"one t\rthree");
    textView.performAction("pageDown:");
    EXPECT_EQ(caret(), 11u);
}

TEST_F(KeyRouting, DroppedFilesGoInAtTheSelection)
{
    QTemporaryDir folder;
    auto write = [&folder](const QString& name, const QByteArray& bytes) {
        QFile file(folder.filePath(name));
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
        return QUrl::fromLocalFile(folder.filePath(name));
    };
    const QUrl one = write(QStringLiteral("one.txt"), "first\r\n");
    const QUrl two = write(QStringLiteral("two.txt"), "second");
    load(u"[]", {1, 0});

    QMimeData mime;
    mime.setUrls({one, two});
    const QPoint point(5, 5);
    QDragEnterEvent enter(point, Qt::CopyAction | Qt::LinkAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    EXPECT_EQ(enter.dropAction(), Qt::LinkAction);
    QDropEvent drop(QPointF(point), Qt::CopyAction | Qt::LinkAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &drop);
    EXPECT_EQ(view->string(), u"[first\rsecond]");

    // An image read through the desktop's image reader; untitled, so its absolute path.
    WQtPlatform platform;
    WPlatform::setShared(&platform);
    const QString image = folder.filePath(QStringLiteral("pic.png"));
    ASSERT_TRUE(QImage(120, 80, QImage::Format_RGB32).save(image));
    QMimeData imageMime;
    imageMime.setUrls({QUrl::fromLocalFile(image)});
    load(u"", {0, 0});
    QDragEnterEvent enterImage(point, Qt::LinkAction, &imageMime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &enterImage);
    QDropEvent dropImage(QPointF(point), Qt::LinkAction, &imageMime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &dropImage);
    WPlatform::setShared(nullptr);
    EXPECT_EQ(wqt::toQString(view->string()), QStringLiteral("<img src=\"%1\" width=\"120\" height=\"80\" alt=\"\" />").arg(image));

    // Copy only: the path, not the text.
    load(u"", {0, 0});
    QDragEnterEvent enterCopy(point, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &enterCopy);
    EXPECT_EQ(enterCopy.dropAction(), Qt::CopyAction);
    QDropEvent copy(QPointF(point), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &copy);
    EXPECT_EQ(view->string(), std::u16string(reinterpret_cast<const char16_t*>(one.toLocalFile().utf16())));
}

TEST_F(KeyRouting, MenuCommandsReachTheFocusedView)
{
    load(u"abc", {0, 2});
    std::unique_ptr<QMenu> menu(WMenuRenderer::createMenu(controller->textView().menuForEvent()));
    QStringList titles;
    for (QAction* action : menu->actions())
        titles << (action->isSeparator() ? QStringLiteral("-") : action->text());
    EXPECT_EQ(titles, (QStringList{"Cut", "Copy", "Paste", "Select All", "-", "Information", "-", "HTML Tags", "URLs",
                                   "Tools"}));
    menu->actions().at(1)->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("ab"));

    WMenuItem tag(u"b", "insertMenuTag:");
    tag.setAttachedObj(WMenuDictionary{{u"pre", u"<b>"}, {u"post", u"</b>"}});
    EXPECT_TRUE(WMenuDispatcher::sendAction(tag));
    EXPECT_EQ(view->string(), u"<b>ab</b>c");
}

}  // namespace
