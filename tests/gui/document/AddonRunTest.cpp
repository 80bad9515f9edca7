// Running an add-on from a document's Tools menu while the user closes the
// window, quits, or the script fails.
#include <QElapsedTimer>
#include <QPointer>
#include <QProgressDialog>
#include <QTest>

#include <filesystem>
#include <fstream>

#include "GuiTestSupport.h"
#include "document/MyDocument.h"
#include "document/WDocumentWindow.h"
#include "canvas/WTextCanvas.h"
#include "menus/WAddonExecution.h"
#include "menus/WMenuDispatcher.h"
#include "menus/WMenuItem.h"
#include "menus/WResponder.h"

namespace fs = std::filesystem;

namespace {

class AddonRunTest : public GuiTest {
protected:
    void TearDown() override
    {
        WAddonExecution::setProgressDelay(2000);
        GuiTest::TearDown();
    }

    // An executable script in the test's folder that first records the name of
    // its selection file, so the test can see that file go.
    fs::path addon(const std::string& name, const std::string& body)
    {
        fs::path file = fs::path(path(QString::fromStdString(name)).toStdString());
        std::ofstream(file) << "#!/bin/sh\necho \"$TMPFILE\" > \"$0.tmpname\"\n" << body;
        fs::permissions(file, fs::perms(0700));
        return file;
    }

    // Chooses the add-on in the document's Tools menu, as a click would.
    void run(MyDocument* document, const fs::path& file)
    {
        WMenuItem item(u"add-on", "executeScript:");
        item.setAttachedObj(WAttachedObject(file));
        WResponder* responder = WMenuDispatcher::responderOf(document->window());
        ASSERT_NE(responder, nullptr);
        responder->tryToPerform("executeScript:", &item);
    }

    // Runs `during` once the add-on has started (its selection file named).
    void whileRunning(const fs::path& file, std::function<void()> during)
    {
        auto* timer = new QTimer(application.get());
        QObject::connect(timer, &QTimer::timeout, timer, [timer, file, during] {
            std::ifstream name(file.string() + ".tmpname");
            std::string line;
            if (!std::getline(name, line) || line.empty())
                return;
            timer->deleteLater();
            timer->stop();
            during();
        });
        timer->start(10);
    }

    static std::string temporaryFileOf(const fs::path& file)
    {
        std::ifstream name(file.string() + ".tmpname");
        std::string line;
        std::getline(name, line);
        return line;
    }
};

}  // namespace

TEST_F(AddonRunTest, ClosingTheWindowDuringARunStopsItAndTouchesNothingAfter)
{
    // With the stop dialog up at once, and before it would show.
    for (int delay : {0, 100000}) {
        SCOPED_TRACE(delay);
        WAddonExecution::setProgressDelay(delay);
        fs::path slow = addon("slow.sh", "sleep 30\necho never\n");
        MyDocument* document = documents().newDocument();
        document->textView()->loadString(u"text");
        document->textView()->selectAll();
        QPointer<MyDocument> watched(document);
        whileRunning(slow, [this, document] { documents().closeDocument(document); });

        QElapsedTimer clock;
        clock.start();
        run(document, slow);
        EXPECT_LT(clock.elapsed(), 10000) << "the script was not stopped";
        QTest::qWait(20);  // lets the deferred deletions happen
        EXPECT_TRUE(watched.isNull());
        EXPECT_FALSE(WAddonExecution::isRunning());
        const std::string temporary = temporaryFileOf(slow);
        ASSERT_FALSE(temporary.empty());
        EXPECT_FALSE(fs::exists(temporary));
        EXPECT_TRUE(presenter->errors.empty()) << presenter->errors.front().message.toStdString();
        fs::remove(slow.string() + ".tmpname");
    }
}

TEST_F(AddonRunTest, QuittingDuringARunAsksAndStopsItOnlyWhenTheUserAgrees)
{
    WAddonExecution::setProgressDelay(0);
    fs::path slow = addon("slow.sh", "sleep 30\necho never\n");
    MyDocument* document = documents().newDocument();
    document->textView()->loadString(u"text");
    QPointer<MyDocument> watched(document);

    // Cancel first: the run goes on; then Stop and Quit: everything closes.
    presenter->answers = {1, 0};
    int asked = 0;
    whileRunning(slow, [this, &asked] {
        documents().quitCommand();
        asked = int(presenter->questions.size());
        EXPECT_TRUE(WAddonExecution::isRunning());
        QTimer::singleShot(50, application.get(), [this] { documents().quitCommand(); });
    });
    run(document, slow);
    QTest::qWait(20);
    EXPECT_EQ(asked, 1);
    ASSERT_EQ(presenter->questions.size(), 2u);
    EXPECT_EQ(presenter->questions.front(), QStringLiteral("An add-on is still running. Stop it and quit?"));
    EXPECT_TRUE(watched.isNull());
    EXPECT_TRUE(documents().documents().empty());
    EXPECT_FALSE(fs::exists(temporaryFileOf(slow)));

    // With no add-on running, quitting asks nothing of the kind.
    documents().newDocument();
    documents().quitCommand();
    EXPECT_EQ(presenter->questions.size(), 2u);
    EXPECT_TRUE(documents().documents().empty());
}

TEST_F(AddonRunTest, AFailedScriptLeavesTheTextAndTellsWhy)
{
    fs::path failing = addon("fails.sh", "echo 'cannot find the dictionary' >&2\nexit 4\n");
    MyDocument* document = documents().newDocument();
    document->textView()->loadString(u"selected text");
    document->textView()->selectAll();
    run(document, failing);
    EXPECT_EQ(document->textView()->string(), u"selected text");
    EXPECT_FALSE(document->isDocumentEdited());
    ASSERT_EQ(presenter->errors.size(), 1u);
    const QString told = presenter->errors.front().message;
    EXPECT_TRUE(told.contains(QStringLiteral("exit status 4"))) << told.toStdString();
    EXPECT_TRUE(told.contains(QStringLiteral("cannot find the dictionary"))) << told.toStdString();
}
