#include "scripting/WScriptingService.h"

#include <QDBusConnectionInterface>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <array>

#include "app/WDocumentController.h"
#include "document/MyDocument.h"
#include "document/WDocumentWindow.h"
#include "platform/WLog.h"
#include "scripting/WDocumentScriptObject.h"
#include "scripting/WScriptMessages.h"

using namespace WScriptMessages;

namespace {
const QString kDocumentsPath = QStringLiteral("/io/wexel/Wexel/Document");
const QString kIntrospectable = QStringLiteral("org.freedesktop.DBus.Introspectable");
const QString kPeer = QStringLiteral("org.freedesktop.DBus.Peer");
const QString kNewDocumentAction = QStringLiteral("new-document");

constexpr std::array<WScriptObject::Property, 1> kProperties = {{{"documents", "ao", false}}};

// The interfaces every object has; ours come from the shipped interface files.
const char* const kStandardInterfaces = R"(  <interface name="org.freedesktop.DBus.Introspectable">
    <method name="Introspect"><arg name="xml_data" type="s" direction="out"/></method>
  </interface>
  <interface name="org.freedesktop.DBus.Peer">
    <method name="Ping"/>
    <method name="GetMachineId"><arg name="machine_uuid" type="s" direction="out"/></method>
  </interface>
  <interface name="org.freedesktop.DBus.Properties">
    <method name="Get">
      <arg name="interface_name" type="s" direction="in"/>
      <arg name="property_name" type="s" direction="in"/>
      <arg name="value" type="v" direction="out"/>
    </method>
    <method name="GetAll">
      <arg name="interface_name" type="s" direction="in"/>
      <arg name="properties" type="a{sv}" direction="out"/>
    </method>
    <method name="Set">
      <arg name="interface_name" type="s" direction="in"/>
      <arg name="property_name" type="s" direction="in"/>
      <arg name="value" type="v" direction="in"/>
    </method>
    <signal name="PropertiesChanged">
      <arg name="interface_name" type="s"/>
      <arg name="changed_properties" type="a{sv}"/>
      <arg name="invalidated_properties" type="as"/>
    </signal>
  </interface>
)";

// The <interface> element of a shipped interface file, comments and all.
QString interfaceElement(const QString& file)
{
    QFile resource(QStringLiteral(":/dbus/") + file);
    if (!resource.open(QIODevice::ReadOnly)) {
        WLog::write("WScriptingService : no interface description " + file.toStdString());
        return {};
    }
    const QString text = QString::fromUtf8(resource.readAll());
    const qsizetype start = text.indexOf(QStringLiteral("<interface"));
    const qsizetype end = text.lastIndexOf(QStringLiteral("</interface>"));
    if (start < 0 || end < start)
        return {};
    return QStringLiteral("  ") + text.mid(start, end - start) + QStringLiteral("</interface>\n");
}

QString node(const QString& body)
{
    return QStringLiteral("<!DOCTYPE node PUBLIC \"-//freedesktop//DTD D-BUS Object Introspection 1.0//EN\"\n"
                          " \"http://www.freedesktop.org/standards/dbus/1.0/introspect.dtd\">\n<node>\n")
           + body + QStringLiteral("</node>\n");
}
}  // namespace

// ---- starting --------------------------------------------------------------------------------

WScriptingService::Start WScriptingService::start(WDocumentController& documents, const QStringList& files,
                                                  bool newDocument, QDBusConnection connection)
{
    if (!connection.isConnected()) {
        const QString reason = connection.lastError().message();
        WLog::write("Wexel: no session bus" + (reason.isEmpty() ? std::string() : " (" + reason.toStdString() + ")")
                    + "; the editor runs without scripting and without handing files to a running editor.");
        return {};
    }
    auto service = std::make_unique<WScriptingService>(documents, connection);
    if (!connection.registerVirtualObject(kObjectPath, service.get(), QDBusConnection::SubPath)) {
        WLog::write("WScriptingService : the objects at " + kObjectPath.toStdString() + " cannot be registered.");
        return {};
    }
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> claimed = connection.interface()->registerService(
        kServiceName, QDBusConnectionInterface::DontQueueService, QDBusConnectionInterface::DontAllowReplacement);
    if (claimed.isValid() && claimed.value() == QDBusConnectionInterface::ServiceRegistered)
        return {std::move(service), false};
    connection.unregisterObject(kObjectPath, QDBusConnection::UnregisterTree);
    service.reset();
    if (!claimed.isValid()) {
        WLog::write("WScriptingService : the name " + kServiceName.toStdString()
                    + " cannot be claimed: " + claimed.error().message().toStdString());
        return {};
    }
    // Another editor serves this session: it takes the files.
    if (handOver(connection, files, newDocument))
        return {nullptr, true};
    return {};
}

bool WScriptingService::handOver(QDBusConnection& connection, const QStringList& files, bool newDocument)
{
    QDBusMessage call;
    if (!files.isEmpty()) {
        QStringList uris;
        for (const QString& file : files)
            uris << QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath()).toString(QUrl::FullyEncoded);
        call = QDBusMessage::createMethodCall(kServiceName, kObjectPath, kDesktopInterface, QStringLiteral("Open"));
        call << uris << QVariantMap();
    } else if (newDocument) {
        call = QDBusMessage::createMethodCall(kServiceName, kObjectPath, kDesktopInterface,
                                              QStringLiteral("ActivateAction"));
        call << kNewDocumentAction << QVariantList() << QVariantMap();
    } else {
        call = QDBusMessage::createMethodCall(kServiceName, kObjectPath, kDesktopInterface, QStringLiteral("Activate"));
        call << QVariantMap();
    }
    const QDBusMessage reply = connection.call(call, QDBus::Block, 10000);
    if (reply.type() == QDBusMessage::ReplyMessage)
        return true;
    // Better two editors than files that open nowhere.
    WLog::write("Wexel: the running editor did not take the files (" + reply.errorMessage().toStdString()
                + "); they open in a new editor.");
    return false;
}

WScriptingService::WScriptingService(WDocumentController& documents, const QDBusConnection& connection)
    : mDocuments(documents), mConnection(connection)
{
    connect(&documents, &WDocumentController::documentsChanged, this, &WScriptingService::documentsChanged);
    documentsChanged();
}

WScriptingService::~WScriptingService()
{
    mConnection.unregisterObject(kObjectPath, QDBusConnection::UnregisterTree);
}

// ---- the documents -----------------------------------------------------------------------------

void WScriptingService::documentsChanged()
{
    std::erase_if(mObjects, [](const QPointer<WDocumentScriptObject>& object) { return object.isNull(); });
    for (const auto& owned : mDocuments.documents()) {
        MyDocument* document = owned.get();
        if (WDocumentScriptObject::of(document) || !document->window())
            continue;
        auto* object = new WDocumentScriptObject(document, ++mLastNumber, mConnection);
        // A new window opens in front.
        mObjects.insert(mObjects.begin(), object);
        connect(document, &MyDocument::becameMain, this, &WScriptingService::broughtToFront);
        connect(object, &QObject::destroyed, this, &WScriptingService::documentsChanged, Qt::QueuedConnection);
    }
    reportDocuments();
}

void WScriptingService::broughtToFront(MyDocument* document)
{
    auto found = std::find_if(mObjects.begin(), mObjects.end(),
                              [document](const auto& object) { return object && object->document() == document; });
    if (found == mObjects.end() || found == mObjects.begin())
        return;
    std::rotate(mObjects.begin(), found, found + 1);
    reportDocuments();
}

QStringList WScriptingService::documentPaths() const
{
    QStringList paths;
    for (const auto& object : mObjects) {
        if (object && object->isAvailable())
            paths << object->path();
    }
    return paths;
}

void WScriptingService::reportDocuments()
{
    const QStringList paths = documentPaths();
    if (paths == mReportedPaths)
        return;
    mReportedPaths = paths;
    emitPropertiesChanged(mConnection, kObjectPath, {{QStringLiteral("documents"), readProperty({}, nullptr)}}, {});
}

WDocumentScriptObject* WScriptingService::objectAt(const QString& path) const
{
    if (!path.startsWith(WDocumentScriptObject::kPathPrefix))
        return nullptr;
    bool isNumber = false;
    const int number = path.mid(WDocumentScriptObject::kPathPrefix.size()).toInt(&isNumber);
    if (!isNumber)
        return nullptr;
    for (const auto& object : mObjects) {
        if (object && object->number() == number && object->isAvailable())
            return object;
    }
    return nullptr;
}

// ---- messages ----------------------------------------------------------------------------------

bool WScriptingService::handleMessage(const QDBusMessage& message, const QDBusConnection& connection)
{
    if (message.type() != QDBusMessage::MethodCallMessage)
        return false;
    connection.send(route(message));
    return true;
}

QDBusMessage WScriptingService::route(const QDBusMessage& call)
{
    const QString path = call.path();
    const bool isKnownPath = path == kObjectPath || path == kDocumentsPath || objectAt(path);
    if (!isKnownPath)
        return unknownObject(call);
    if (call.interface() == kIntrospectable && call.member() == QLatin1String("Introspect"))
        return introspection(call);
    if (call.interface() == kPeer) {
        if (call.member() == QLatin1String("Ping"))
            return call.createReply();
        if (call.member() == QLatin1String("GetMachineId"))
            return call.createReply(QString::fromLatin1(QDBusConnection::localMachineId()));
        return unknownMethod(call);
    }
    if (path == kObjectPath)
        return WScriptObject::answer(call);
    if (path == kDocumentsPath)
        return unknownMethod(call);
    return objectAt(path)->answer(call);
}

QString WScriptingService::introspect(const QString& path) const
{
    if (path == kObjectPath)
        return interfaceElement(QStringLiteral("org.freedesktop.Application.xml"))
               + interfaceElement(QStringLiteral("io.wexel.Wexel.Application.xml"));
    if (objectAt(path))
        return interfaceElement(QStringLiteral("io.wexel.Wexel.Document.xml"));
    return {};
}

QDBusMessage WScriptingService::introspection(const QDBusMessage& call) const
{
    const QString path = call.path();
    QString body;
    if (path == kObjectPath) {
        body = QString::fromLatin1(kStandardInterfaces) + introspect(path) + QStringLiteral("  <node name=\"Document\"/>\n");
    } else if (path == kDocumentsPath) {
        QList<int> numbers;
        for (const auto& object : mObjects) {
            if (object && object->isAvailable())
                numbers << object->number();
        }
        std::sort(numbers.begin(), numbers.end());
        body = QString::fromLatin1(kStandardInterfaces).section(QStringLiteral("</interface>"), 0, 0)
               + QStringLiteral("</interface>\n");
        for (int number : numbers)
            body += QStringLiteral("  <node name=\"%1\"/>\n").arg(number);
    } else {
        body = QString::fromLatin1(kStandardInterfaces) + introspect(path);
    }
    return call.createReply(node(body));
}

// ---- the application object -------------------------------------------------------------------

std::span<const WScriptObject::Property> WScriptingService::properties() const
{
    return kProperties;
}

QVariant WScriptingService::readProperty(const QString&, std::optional<WScriptError>*)
{
    QList<QDBusObjectPath> paths;
    for (const QString& path : documentPaths())
        paths << QDBusObjectPath(path);
    return QVariant::fromValue(paths);
}

QDBusMessage WScriptingService::callMethod(const QDBusMessage& call)
{
    const QString interface = call.interface();
    const QString member = call.member();
    const QString signature = call.signature();
    const QVariantList arguments = call.arguments();

    if ((interface.isEmpty() || interface == kInterface) && member == QLatin1String("create")) {
        if (!signature.isEmpty())
            return invalidArguments(call, QStringLiteral("create takes no arguments, not '%1'").arg(signature));
        MyDocument* document = mDocuments.newDocument();
        documentsChanged();
        WDocumentScriptObject* object = WDocumentScriptObject::of(document);
        if (!object)
            return scriptError(call, {WScriptError::Generic, "The new document could not be made."});
        return call.createReply(QVariant::fromValue(QDBusObjectPath(object->path())));
    }
    if (!interface.isEmpty() && interface != kDesktopInterface)
        return unknownMethod(call);

    // The work waits for the reply to be on its way: opening may ask the user
    // something, and the caller should not wait for that.
    if (member == QLatin1String("Activate") && signature == QLatin1String("a{sv}")) {
        QTimer::singleShot(0, this, &WScriptingService::activate);
        return call.createReply();
    }
    if (member == QLatin1String("Open") && signature == QLatin1String("asa{sv}")) {
        const QStringList uris = arguments.at(0).toStringList();
        for (const QString& uri : uris) {
            if (!QUrl(uri).isLocalFile())
                return invalidArguments(call, QStringLiteral("'%1' is not the URI of a local file").arg(uri));
        }
        QTimer::singleShot(0, this, [this, uris] { open(uris); });
        return call.createReply();
    }
    if (member == QLatin1String("ActivateAction") && signature == QLatin1String("sava{sv}")) {
        const QString action = arguments.at(0).toString();
        if (action != kNewDocumentAction)
            return invalidArguments(call, QStringLiteral("No such action '%1'").arg(action));
        QTimer::singleShot(0, this, [this] { mDocuments.newDocument(); });
        return call.createReply();
    }
    if (member == QLatin1String("Activate") || member == QLatin1String("Open")
        || member == QLatin1String("ActivateAction"))
        return invalidArguments(call, QStringLiteral("Wrong arguments for %1: '%2'").arg(member, signature));
    return unknownMethod(call);
}

void WScriptingService::activate()
{
    MyDocument* document = mDocuments.currentDocument();
    if (!document || !document->window()) {
        mDocuments.newDocument();
        return;
    }
    document->window()->show();
    document->window()->raise();
    document->window()->activateWindow();
}

void WScriptingService::open(const QStringList& uris)
{
    for (const QString& uri : uris) {
        if (MyDocument* document = mDocuments.openDocument(QUrl(uri).toLocalFile())) {
            document->window()->raise();
            document->window()->activateWindow();
        }
    }
}
