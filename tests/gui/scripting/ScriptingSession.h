#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

// A process that is stopped when it goes out of scope.
class EditorProcess : public QProcess {
public:
    ~EditorProcess() override;
};

// A session bus of the test's own (so that tests running side by side never
// meet), a home folder, and the clients scripts use: gdbus and gapplication.
// Every process is waited for with a time limit while the event loop runs, and
// whatever is still running at the end is killed.
class ScriptingSession {
public:
    struct Run {
        bool finished = false;  // false: it timed out and was killed
        int exitCode = -1;
        QString out;  // trimmed
        QString err;
        // The D-Bus error of a failed call: "io.wexel.Wexel.Error.Generic: MyDocument - setEncoding".
        QString error() const;
    };

    static inline const QString kName = QStringLiteral("io.wexel.Wexel");
    static inline const QString kApplication = QStringLiteral("/io/wexel/Wexel");
    static inline const QString kDocumentInterface = QStringLiteral("io.wexel.Wexel.Document");

    ScriptingSession();
    ~ScriptingSession();

    bool isReady() const { return !mAddress.isEmpty(); }
    const QString& address() const { return mAddress; }
    QString home(const QString& name = {}) const { return mHome.filePath(name); }
    QString writeFile(const QString& name, const QByteArray& bytes) const;
    // What the editor and the clients run with: this bus, this home, offscreen.
    QProcessEnvironment environment() const;

    // Runs a program to its end (10 s at most).
    Run run(const QString& program, const QStringList& arguments, int timeoutMs = 10000) const;
    Run gdbus(const QStringList& arguments) const;
    Run call(const QString& path, const QString& method, const QStringList& arguments = {}) const;
    Run get(const QString& path, const QString& property) const;
    Run set(const QString& path, const QString& property, const QString& value) const;
    // The documents' object paths, front window first.
    QStringList documents() const;
    // Waits until the name has an owner; true when it has.
    bool waitForEditor() const;
    // Waits until the documents list is what is given.
    bool waitForDocuments(const QStringList& expected) const;
    // The process owning the name, 0 for none.
    qint64 editorProcessId() const;

    // Starts the editor; null when it does not take the name in time.
    std::unique_ptr<EditorProcess> startEditor(const QStringList& arguments, bool waitForName = true);
    static QString document(int number) { return QStringLiteral("/io/wexel/Wexel/Document/%1").arg(number); }

private:
    QTemporaryDir mHome;
    std::unique_ptr<QProcess> mDaemon;
    QString mAddress;
};

// A test with its own bus and one editor started on it.
class ScriptingTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(session.isReady()); }
    // Opens the files in a new editor; fails the test when it does not come up.
    void startEditor(const QStringList& arguments)
    {
        editor = session.startEditor(arguments);
        ASSERT_TRUE(editor) << "the editor did not take the bus name";
    }

    ScriptingSession session;
    std::unique_ptr<EditorProcess> editor;
};
