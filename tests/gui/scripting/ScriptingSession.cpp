#include "ScriptingSession.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTest>

#include <csignal>

namespace {
// Terminates a process, and kills it when it does not go at once.
void stop(QProcess& process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 3000)) {
        process.kill();
        process.waitForFinished(3000);
    }
}
}  // namespace

QString ScriptingSession::Run::error() const
{
    // "Error: GDBus.Error:NAME: MESSAGE", then gdbus' own hint on a second line.
    static const QRegularExpression line(QStringLiteral("GDBus\\.Error:([^\\n]*)"));
    const QRegularExpressionMatch match = line.match(err);
    return match.hasMatch() ? match.captured(1).trimmed() : QStringLiteral("no error: ") + out;
}

ScriptingSession::ScriptingSession()
{
    if (!mHome.isValid())
        return;
    QDir(mHome.path()).mkpath(QStringLiteral("run"));
    QFile::setPermissions(home(QStringLiteral("run")), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    // The bus finds the editor for activation in the build folder's share.
    const QString config = home(QStringLiteral("bus.conf"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly))
        return;
    file.write(QStringLiteral(R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir=%1</listen>
  <servicedir>%2/dbus-1/services</servicedir>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)")
                   .arg(home(QStringLiteral("run")), QStringLiteral(WEXEL_BUILD_SHARE))
                   .toUtf8());
    file.close();

    mDaemon = std::make_unique<QProcess>();
    mDaemon->setProcessEnvironment(environment());
    mDaemon->setProcessChannelMode(QProcess::SeparateChannels);
    mDaemon->start(QStringLiteral("dbus-daemon"),
                   {QStringLiteral("--config-file=") + config, QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
    if (!QTest::qWaitFor([&] { return mDaemon->canReadLine() || mDaemon->state() == QProcess::NotRunning; }, 5000))
        return;
    mAddress = QString::fromUtf8(mDaemon->readLine()).trimmed();
}

ScriptingSession::~ScriptingSession()
{
    // An editor the bus started for a client is no child of ours.
    if (const qint64 pid = isReady() ? editorProcessId() : 0) {
        ::kill(static_cast<pid_t>(pid), SIGTERM);
        QTest::qWait(50);
        ::kill(static_cast<pid_t>(pid), SIGKILL);
    }
    if (mDaemon)
        stop(*mDaemon);
}

QString ScriptingSession::writeFile(const QString& name, const QByteArray& bytes) const
{
    QFile file(home(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
    return file.fileName();
}

QProcessEnvironment ScriptingSession::environment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), mAddress);
    environment.insert(QStringLiteral("HOME"), home());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home(QStringLiteral(".config")));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), home(QStringLiteral(".local/share")));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), home(QStringLiteral("run")));
    environment.insert(QStringLiteral("XDG_DATA_DIRS"), QStringLiteral(WEXEL_BUILD_SHARE ":/usr/share"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("PATH"), QFileInfo(QStringLiteral(WEXEL_EDITOR)).absolutePath() + u':'
                                                   + environment.value(QStringLiteral("PATH")));
    environment.remove(QStringLiteral("DISPLAY"));
    return environment;
}

ScriptingSession::Run ScriptingSession::run(const QString& program, const QStringList& arguments,
                                            int timeoutMs) const
{
    QProcess process;
    process.setProcessEnvironment(environment());
    process.start(program, arguments);
    Run result;
    // The event loop runs meanwhile: the editor may be this very process.
    result.finished = QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, timeoutMs);
    if (!result.finished) {
        ADD_FAILURE() << program.toStdString() << " " << arguments.join(u' ').toStdString() << " timed out";
        stop(process);
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

ScriptingSession::Run ScriptingSession::gdbus(const QStringList& arguments) const
{
    return run(QStringLiteral("gdbus"), arguments);
}

ScriptingSession::Run ScriptingSession::call(const QString& path, const QString& method,
                                             const QStringList& arguments) const
{
    return gdbus(QStringList{QStringLiteral("call"), QStringLiteral("--session"), QStringLiteral("--dest"), kName,
                             QStringLiteral("--object-path"), path, QStringLiteral("--method"), method}
                 + arguments);
}

ScriptingSession::Run ScriptingSession::get(const QString& path, const QString& property) const
{
    const QString interface = path == kApplication ? QStringLiteral("io.wexel.Wexel.Application") : kDocumentInterface;
    return call(path, QStringLiteral("org.freedesktop.DBus.Properties.Get"), {interface, property});
}

ScriptingSession::Run ScriptingSession::set(const QString& path, const QString& property, const QString& value) const
{
    return call(path, QStringLiteral("org.freedesktop.DBus.Properties.Set"), {kDocumentInterface, property, value});
}

QStringList ScriptingSession::documents() const
{
    // "(<[objectpath '/io/wexel/Wexel/Document/2', '/io/wexel/Wexel/Document/1']>,)"
    static const QRegularExpression quoted(QStringLiteral("'([^']*)'"));
    QStringList paths;
    for (const QRegularExpressionMatch& match : quoted.globalMatch(get(kApplication, QStringLiteral("documents")).out))
        paths << match.captured(1);
    return paths;
}

bool ScriptingSession::waitForEditor() const
{
    return run(QStringLiteral("gdbus"),
               {QStringLiteral("wait"), QStringLiteral("--session"), QStringLiteral("--timeout"), QStringLiteral("10"),
                kName},
               12000)
               .exitCode
           == 0;
}

bool ScriptingSession::waitForDocuments(const QStringList& expected) const
{
    return QTest::qWaitFor([&] { return documents() == expected; }, 5000);
}

qint64 ScriptingSession::editorProcessId() const
{
    const Run answer = run(QStringLiteral("gdbus"),
                           {QStringLiteral("call"), QStringLiteral("--session"), QStringLiteral("--dest"),
                            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("--object-path"),
                            QStringLiteral("/org/freedesktop/DBus"), QStringLiteral("--method"),
                            QStringLiteral("org.freedesktop.DBus.GetConnectionUnixProcessID"), kName});
    // "(uint32 1234,)"
    static const QRegularExpression number(QStringLiteral("(\\d+),\\)"));
    const QRegularExpressionMatch match = number.match(answer.out);
    return answer.exitCode == 0 && match.hasMatch() ? match.captured(1).toLongLong() : 0;
}

EditorProcess::~EditorProcess()
{
    stop(*this);
}

std::unique_ptr<EditorProcess> ScriptingSession::startEditor(const QStringList& arguments, bool waitForName)
{
    auto editor = std::make_unique<EditorProcess>();
    editor->setProcessEnvironment(environment());
    editor->start(QStringLiteral(WEXEL_EDITOR), arguments);
    if (!editor->waitForStarted(5000))
        return nullptr;
    if (waitForName && !waitForEditor())
        return nullptr;
    return editor;
}
