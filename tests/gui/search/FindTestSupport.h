#pragma once

// A real application with one document window for the find tests: a platform
// that counts beeps and a presenter that answers the sheets.
#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <deque>
#include <memory>

#include "app/WApplicationDel.h"
#include "app/WDocumentController.h"
#include "app/WPresenter.h"
#include "app/WQtPlatform.h"
#include "document/MyDocument.h"
#include "document/WDocumentWindow.h"
#include "editor/WKeyAssignServer.h"
#include "canvas/WTextCanvas.h"
#include "prefs/WPrefsServer.h"
#include "search/WDocumentSearch.h"
#include "search/WSearchPanelController.h"
#include "search/WSearchServer.h"

class CountingPlatform : public WQtPlatform {
public:
    int beeps = 0;
    void beep() override { ++beeps; }
};

// Keeps what the application said; answers from a script, else with the first button.
class ScriptedPresenter : public WPresenter {
public:
    std::vector<QStringList> asked;  // title, message, buttons...
    std::deque<int> answers;

    void showError(QWidget*, const QString& message, const QString&) override
    {
        ADD_FAILURE() << message.toStdString();
    }
    int ask(QWidget*, const QString& title, const QString& message, const QStringList& buttons) override
    {
        asked.push_back(QStringList{title, message} + buttons);
        if (answers.empty())
            return 0;
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void askLater(QWidget* window, const QString& title, const QString& message, const QStringList& buttons,
                  std::function<void(int)> ended) override
    {
        QTimer::singleShot(0, [ended = std::move(ended), answer = ask(window, title, message, buttons)] {
            ended(answer);
        });
    }
};

class FindTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        WPlatform::setShared(&platform);
        auto owned = std::make_unique<ScriptedPresenter>();
        presenter = owned.get();
        WPresenter::setShared(std::move(owned));
        application = std::make_unique<WApplicationDel>(folder.filePath(QStringLiteral("Wexel.plist")));
    }
    void TearDown() override
    {
        application.reset();
        WPresenter::setShared(nullptr);
        WPlatform::setShared(nullptr);
    }

    // The key scheme matters: the program's own takes Ctrl-G, Ctrl-E and Ctrl-F for itself.
    void useScheme(int scheme)
    {
        WPrefsServer& prefs = application->prefsServer();
        prefs.tempDictionary().setInt(scheme, "key_bind_type");
        prefs.commit();
    }

    // A new document holding text, unedited, its window in front.
    WTextCanvas* newDocument(std::u16string_view text)
    {
        document = application->documentController().newDocument();
        view = document->textView();
        view->loadString(std::u16string(text));
        activate();
        return view;
    }
    void activate()
    {
        QApplication::setActiveWindow(document->window());
        view->setFocus();
        EXPECT_TRUE(QTest::qWaitForWindowActive(document->window()));
    }

    WSearchServer& server() { return application->searchServer(); }
    WSearchPanelController& panel() { return application->searchPanel(); }
    std::u16string selectedText() const
    {
        const WRange range = view->selectedRange();
        return view->string().substr(range.location, range.length);
    }

    QTemporaryDir folder;
    CountingPlatform platform;
    ScriptedPresenter* presenter = nullptr;
    std::unique_ptr<WApplicationDel> application;
    MyDocument* document = nullptr;
    WTextCanvas* view = nullptr;
};

