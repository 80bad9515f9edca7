#include <QApplication>
#include <QFile>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

#include "app/WApplicationDel.h"
#include "app/WDocumentController.h"
#include "document/MyDocument.h"
#include "document/WDocumentWindow.h"
#include "editor/WBottomView.h"
#include "editor/WKeyAssignServer.h"
#include "canvas/WTextCanvas.h"
#include "prefs/WPrefsServer.h"

namespace {

// A real document window: keys reach its text view through the scheme in the
// preferences, and Control-X Control-S saves the file.
TEST(DocumentKeys, SchemeFromThePreferencesActsOnTheDocument)
{
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("notes.txt"));
    {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write("  first\n");
    }
    auto application = std::make_unique<WApplicationDel>(folder.filePath(QStringLiteral("Wexel.plist")));
    WPrefsServer& prefs = application->prefsServer();
    prefs.tempDictionary().setInt(WEmacsLike, "key_bind_type");
    prefs.commit();

    MyDocument* document = application->documentController().openDocument(file);
    ASSERT_NE(document, nullptr);
    WTextCanvas* view = document->textView();
    QApplication::setActiveWindow(document->window());
    view->setFocus();
    ASSERT_TRUE(QTest::qWaitForWindowActive(document->window()));
    ASSERT_NE(document->window()->findChild<WBottomView*>(), nullptr);

    document->setAutoIndented(true);
    view->setSelectedRange({7, 0});
    QTest::keyClick(view, Qt::Key_Return);  // indents like the line above
    QTest::keyClick(view, Qt::Key_Z);
    EXPECT_EQ(view->string(), u"  first\r  z\r");
    QTest::keyClick(view, Qt::Key_X, Qt::ControlModifier);
    QTest::keyClick(view, Qt::Key_S, Qt::ControlModifier);
    EXPECT_FALSE(document->isDocumentEdited());
    QFile saved(file);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), QByteArray("  first\n  z\n"));

    // A change of scheme applies at the next key.
    prefs.tempDictionary().setInt(WViLike, "key_bind_type");
    prefs.commit();
    view->setSelectedRange({0, 0});
    QTest::keyClick(view, Qt::Key_J, Qt::ControlModifier);
    EXPECT_EQ(view->selectedRange(), (WRange{8, 0}));

    // Control-Q is the program's prefix here, not the menu's Quit.
    prefs.tempDictionary().setInt(WWexelOriginal, "key_bind_type");
    prefs.commit();
    QTest::keyClick(view, Qt::Key_Q, Qt::ControlModifier);
    QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(view->selectedRange(), (WRange{12, 0}));
    EXPECT_EQ(application->documentController().documents().size(), 1u);
    application->documentController().closeAllDocuments();
}

}  // namespace

namespace {

// The strip beneath the text lists the definitions of the text as it is when
// the menu opens; choosing one selects it.
TEST(BottomView, NavigatorFollowsTheTextAndSelects)
{
    WTextCanvas view;
    int32_t textType = 1;
    WBottomView bottom(&view, [&textType] { return textType; });
    view.loadString(u"body { color: red }\rh1, h2 { margin: 0 }\r");
    std::unique_ptr<QMenu> plain(bottom.menuForEvent());  // plain text: says so in a disabled item
    ASSERT_EQ(plain->actions().size(), 1);
    EXPECT_FALSE(plain->actions().front()->isEnabled());

    textType = 5;  // CSS
    std::unique_ptr<QMenu> menu(bottom.menuForEvent());
    ASSERT_EQ(menu->actions().size(), 2);
    EXPECT_EQ(menu->actions().at(1)->text(), QStringLiteral("h1, h2 "));
    menu->actions().at(1)->trigger();
    EXPECT_EQ(view.selectedRange(), (WRange{20, 7}));
}

}  // namespace
