#pragma once

#include <QApplication>
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>

#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "addons/WAddon.h"
#include "app/WApplicationDel.h"
#include "app/WDocumentController.h"
#include "app/WPresenter.h"
#include "app/WQtPlatform.h"
#include "platform/WPlatform.h"

// Answers the application's questions from a script and keeps what it was told.
class WTestPresenter : public WPresenter {
public:
    struct Told {
        QString message;
        QString details;
    };

    std::vector<Told> errors;
    std::vector<QString> questions;
    struct Sheet {
        QString title;
        QString message;
    };
    std::vector<Sheet> informed;  // each message shown with its one OK button
    std::deque<int> answers;  // button indexes, in order of asking
    QString pathToSave;
    QStringList pathsToOpen;  // what the Open dialog answers
    QString folderToOpen;     // where it was last asked to start
    // Runs once while the next question is up, as the user could act meanwhile.
    std::function<void()> whileAsking;

    void showError(QWidget*, const QString& message, const QString& details) override
    {
        errors.push_back({message, details});
    }
    int ask(QWidget*, const QString&, const QString& message, const QStringList& buttons) override
    {
        questions.push_back(message);
        if (auto meanwhile = std::exchange(whileAsking, nullptr))
            meanwhile();
        return nextAnswer(buttons);
    }
    void askLater(QWidget*, const QString&, const QString& message, const QStringList& buttons,
                  std::function<void(int)> ended) override
    {
        questions.push_back(message);
        const int answer = nextAnswer(buttons);
        // Like a sheet: the answer arrives later, from the event loop.
        QTimer::singleShot(0, [ended = std::move(ended), answer] { ended(answer); });
    }
    void inform(QWidget*, const QString& title, const QString& message) override
    {
        informed.push_back({title, message});
    }
    QStringList chooseFilesToOpen(QWidget*, const QString& folder) override
    {
        folderToOpen = folder;
        return pathsToOpen;
    }
    QString chooseFileToSave(QWidget*, const QString&) override { return pathToSave; }

private:
    int nextAnswer(const QStringList& buttons)
    {
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected question";
            return static_cast<int>(buttons.size()) - 1;
        }
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

// The desktop platform with a Shift key the test holds down, beeps counted
// instead of sounded, and a home folder of the test's own when it names one.
class WTestPlatform : public WQtPlatform {
public:
    bool shiftDown = false;
    int beeps = 0;
    std::filesystem::path home;
    bool isShiftKeyDown() const override { return shiftDown; }
    void beep() override { ++beeps; }
    std::filesystem::path homeDirectory() const override
    {
        return home.empty() ? WQtPlatform::homeDirectory() : home;
    }
};

// A fresh application per test: its own preference file, temporary folder,
// platform and presenter.
class GuiTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        // Add-ons' temporary files: tests running side by side would share /tmp's names.
        ASSERT_TRUE(addonTemporaries.isValid());
        WAddon::setTemporaryFolder(addonTemporaries.path().toStdString());
        WPlatform::setShared(&platform);
        auto owned = std::make_unique<WTestPresenter>();
        presenter = owned.get();
        WPresenter::setShared(std::move(owned));
        makeApplication();
    }

    void TearDown() override
    {
        application.reset();
        WPresenter::setShared(nullptr);
        WPlatform::setShared(nullptr);
        WAddon::setTemporaryFolder({});
    }

    void makeApplication()
    {
        application.reset();
        application = std::make_unique<WApplicationDel>(path("Wexel.plist"));
    }

    WDocumentController& documents() { return application->documentController(); }

    QString path(const QString& name) const { return folder.filePath(name); }

    QString writeFile(const QString& name, const QByteArray& bytes) const;
    QByteArray readFile(const QString& name) const;

    QTemporaryDir folder;
    QTemporaryDir addonTemporaries;
    WTestPlatform platform;
    WTestPresenter* presenter = nullptr;
    std::unique_ptr<WApplicationDel> application;
};
