// The editor on its session bus, driven from outside with gdbus and
// gapplication: one editor per session, files handed to it, started by the
// bus when none runs, and still running when there is no bus at all.
#include <QTest>

#include "ScriptingSession.h"

namespace {
using S = ScriptingSession;

TEST_F(ScriptingTest, TheEditorListsItsDocumentsFrontFirstAndCreatesNewOnes)
{
    const QString file = session.writeFile(QStringLiteral("a.txt"), "alpha");
    startEditor({file});
    EXPECT_EQ(session.documents(), QStringList{S::document(1)});
    EXPECT_EQ(session.get(S::document(1), QStringLiteral("path")).out, QStringLiteral("(<'%1'>,)").arg(file));
    EXPECT_EQ(session.get(S::document(1), QStringLiteral("title")).out, QStringLiteral("(<'a.txt'>,)"));

    const S::Run created = session.call(S::kApplication, QStringLiteral("io.wexel.Wexel.Application.create"));
    EXPECT_EQ(created.out, QStringLiteral("(objectpath '%1',)").arg(S::document(2)));
    EXPECT_EQ(session.documents(), (QStringList{S::document(2), S::document(1)}));
    EXPECT_EQ(session.get(S::document(2), QStringLiteral("path")).out, QStringLiteral("(<''>,)"));
    EXPECT_EQ(session.get(S::document(2), QStringLiteral("text")).out, QStringLiteral("(<''>,)"));

    // The list is read only; paths nobody has answer "no such object".
    EXPECT_EQ(session.call(S::kApplication, QStringLiteral("org.freedesktop.DBus.Properties.Set"),
                           {QStringLiteral("io.wexel.Wexel.Application"), QStringLiteral("documents"),
                            QStringLiteral("<@ao []>")})
                  .error(),
              QStringLiteral("org.freedesktop.DBus.Error.PropertyReadOnly: Property 'documents' is read-only"));
    EXPECT_EQ(session.get(S::document(3), QStringLiteral("text")).error(),
              QStringLiteral("org.freedesktop.DBus.Error.UnknownObject: No such object path '%1'").arg(S::document(3)));
    EXPECT_EQ(session.get(QStringLiteral("/io/wexel/Wexel/Document/x"), QStringLiteral("text")).error(),
              QStringLiteral("org.freedesktop.DBus.Error.UnknownObject: No such object path "
                             "'/io/wexel/Wexel/Document/x'"));
}

TEST_F(ScriptingTest, IntrospectionDescribesEveryObject)
{
    startEditor({});
    const QString application =
        session.gdbus({QStringLiteral("introspect"), QStringLiteral("--session"), QStringLiteral("--dest"), S::kName,
                       QStringLiteral("--object-path"), S::kApplication})
            .out;
    for (const char* expected : {"interface org.freedesktop.Application", "ActivateAction(in  s action_name",
                                 "interface io.wexel.Wexel.Application", "create(out o document)",
                                 "readonly ao documents", "node Document"})
        EXPECT_TRUE(application.contains(QLatin1String(expected))) << expected << "\n" << application.toStdString();

    const QString document = session
                                 .gdbus({QStringLiteral("introspect"), QStringLiteral("--session"),
                                         QStringLiteral("--dest"), S::kName, QStringLiteral("--object-path"),
                                         S::document(1)})
                                 .out;
    for (const char* expected : {"interface io.wexel.Wexel.Document", "search(in  a{sv} arguments",
                                 "replaceAll(in  a{sv} arguments", "out u count", "scrollToSelection(",
                                 "readwrite a{sv} selectedrange", "readwrite i selectionLocation", "readonly s text",
                                 "readwrite d fontsize", "interface org.freedesktop.DBus.Properties"})
        EXPECT_TRUE(document.contains(QLatin1String(expected))) << expected << "\n" << document.toStdString();

    const QString list = session
                             .gdbus({QStringLiteral("introspect"), QStringLiteral("--session"),
                                     QStringLiteral("--dest"), S::kName, QStringLiteral("--object-path"),
                                     QStringLiteral("/io/wexel/Wexel/Document")})
                             .out;
    EXPECT_TRUE(list.contains(QLatin1String("node 1"))) << list.toStdString();
}

TEST_F(ScriptingTest, ASecondWexelHandsItsFilesToTheRunningEditorAndEnds)
{
    startEditor({});
    ASSERT_EQ(session.documents(), QStringList{S::document(1)});
    const QString file = session.writeFile(QStringLiteral("b.html"), "<p>b</p>");

    const S::Run second = session.run(QStringLiteral(WEXEL_EDITOR), {file});
    EXPECT_EQ(second.exitCode, 0) << second.err.toStdString();
    EXPECT_TRUE(session.waitForDocuments({S::document(2), S::document(1)}));
    EXPECT_EQ(session.get(S::document(2), QStringLiteral("path")).out, QStringLiteral("(<'%1'>,)").arg(file));
    EXPECT_EQ(session.get(S::document(2), QStringLiteral("syntaxtype")).out, QStringLiteral("(<'X/HTML'>,)"));

    // An open file only comes to the front; an empty one brings the front window.
    EXPECT_EQ(session.run(QStringLiteral(WEXEL_EDITOR), {QStringLiteral("--"), file}).exitCode, 0);
    EXPECT_EQ(session.run(QStringLiteral(WEXEL_EDITOR), {}).exitCode, 0);
    EXPECT_EQ(session.run(QStringLiteral(WEXEL_EDITOR), {QStringLiteral("--new-document")}).exitCode, 0);
    EXPECT_TRUE(session.waitForDocuments({S::document(3), S::document(2), S::document(1)}))
        << session.documents().join(u' ').toStdString();
}

TEST_F(ScriptingTest, ANewInstanceRunsApartWithoutTheName)
{
    startEditor({});
    const QString file = session.writeFile(QStringLiteral("c.txt"), "c");
    auto apart = session.startEditor({QStringLiteral("--new-instance"), file}, false);
    ASSERT_TRUE(apart);
    QTest::qWait(500);
    EXPECT_EQ(apart->state(), QProcess::Running);
    EXPECT_EQ(session.editorProcessId(), editor->processId());
    EXPECT_EQ(session.documents(), QStringList{S::document(1)});
}

TEST_F(ScriptingTest, GapplicationStartsTheEditorOrReachesTheRunningOne)
{
    const QString first = session.writeFile(QStringLiteral("first.txt"), "1");
    const QString second = session.writeFile(QStringLiteral("second.txt"), "2");
    // No editor runs: the bus starts one from its service file.
    S::Run launched = session.run(QStringLiteral("gapplication"), {QStringLiteral("launch"), S::kName, first});
    ASSERT_EQ(launched.exitCode, 0) << launched.err.toStdString();
    ASSERT_TRUE(session.waitForEditor());
    EXPECT_TRUE(session.waitForDocuments({S::document(1)}));
    EXPECT_EQ(session.get(S::document(1), QStringLiteral("path")).out, QStringLiteral("(<'%1'>,)").arg(first));
    const qint64 process = session.editorProcessId();
    ASSERT_NE(process, 0);

    launched = session.run(QStringLiteral("gapplication"), {QStringLiteral("launch"), S::kName, second});
    EXPECT_EQ(launched.exitCode, 0) << launched.err.toStdString();
    EXPECT_TRUE(session.waitForDocuments({S::document(2), S::document(1)}));
    EXPECT_EQ(session.editorProcessId(), process);

    const S::Run action =
        session.run(QStringLiteral("gapplication"), {QStringLiteral("action"), S::kName, QStringLiteral("new-document")});
    EXPECT_EQ(action.exitCode, 0) << action.err.toStdString();
    EXPECT_TRUE(session.waitForDocuments({S::document(3), S::document(2), S::document(1)}));
    EXPECT_EQ(session.get(S::document(3), QStringLiteral("title")).out, QStringLiteral("(<'Untitled'>,)"));

    const S::Run unknown =
        session.run(QStringLiteral("gapplication"), {QStringLiteral("action"), S::kName, QStringLiteral("format-disk")});
    EXPECT_NE(unknown.exitCode, 0);
    EXPECT_TRUE(unknown.err.contains(QLatin1String("No such action 'format-disk'"))) << unknown.err.toStdString();
    // A URI that is no local file is refused as a whole.
    const S::Run remote = session.call(S::kApplication, QStringLiteral("org.freedesktop.Application.Open"),
                                       {QStringLiteral("['https://example.com/']"), QStringLiteral("{}")});
    EXPECT_EQ(remote.error(), QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs: 'https://example.com/' is not "
                                             "the URI of a local file"));
    EXPECT_EQ(session.documents().size(), 3);
}

TEST_F(ScriptingTest, WithoutASessionBusTheEditorRunsAndSaysSoOnce)
{
    EditorProcess alone;
    QProcessEnvironment environment = session.environment();
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("unix:path=") + session.home("none"));
    alone.setProcessEnvironment(environment);
    alone.start(QStringLiteral(WEXEL_EDITOR), {session.writeFile(QStringLiteral("d.txt"), "d")});
    ASSERT_TRUE(alone.waitForStarted(5000));
    QString said;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            said += QString::fromUtf8(alone.readAllStandardError());
            return said.contains(QLatin1String("no session bus")) || alone.state() != QProcess::Running;
        },
        5000));
    // Still there a moment later, having said it once.
    QTest::qWait(300);
    said += QString::fromUtf8(alone.readAllStandardError());
    EXPECT_EQ(alone.state(), QProcess::Running);
    EXPECT_EQ(said.count(QLatin1String("no session bus")), 1) << said.toStdString();
}
}  // namespace
