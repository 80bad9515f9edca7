#pragma once

#include <QDBusConnection>
#include <QDBusVirtualObject>
#include <QPointer>
#include <QStringList>

#include <memory>
#include <vector>

#include "scripting/WScriptObject.h"

class MyDocument;
class WDocumentController;
class WDocumentScriptObject;

// The editor on the session bus, as io.wexel.Wexel: at /io/wexel/Wexel the
// desktop's org.freedesktop.Application (Activate, Open, ActivateAction) and
// io.wexel.Wexel.Application (create, documents), and below it one object per
// open document. Every message for these paths comes here, so a path whose
// document has closed answers "no such object" instead of reaching it.
class WScriptingService : public QDBusVirtualObject, public WScriptObject {
    Q_OBJECT
public:
    static inline const QString kServiceName = QStringLiteral("io.wexel.Wexel");
    static inline const QString kObjectPath = QStringLiteral("/io/wexel/Wexel");
    static inline const QString kInterface = QStringLiteral("io.wexel.Wexel.Application");
    static inline const QString kDesktopInterface = QStringLiteral("org.freedesktop.Application");

    struct Start {
        std::unique_ptr<WScriptingService> service;  // null when not serving
        bool handedOver = false;  // another editor owns the name and took the files
    };
    // Serves the documents under the name, or, when another editor already
    // does, hands it the files (their paths; none: it comes to the front).
    // Without a session bus the editor runs on without scripting, and says so.
    static Start start(WDocumentController& documents, const QStringList& files, bool newDocument,
                       QDBusConnection connection = QDBusConnection::sessionBus());

    WScriptingService(WDocumentController& documents, const QDBusConnection& connection);
    ~WScriptingService() override;

    // QDBusVirtualObject
    QString introspect(const QString& path) const override;
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

    // WScriptObject
    QString interfaceName() const override { return kInterface; }
    std::span<const Property> properties() const override;

protected:
    QVariant readProperty(const QString& name, std::optional<WScriptError>* error) override;
    QDBusMessage callMethod(const QDBusMessage& call) override;

private:
    static bool handOver(QDBusConnection& connection, const QStringList& files, bool newDocument);
    QDBusMessage route(const QDBusMessage& call);
    QDBusMessage introspection(const QDBusMessage& call) const;
    WDocumentScriptObject* objectAt(const QString& path) const;

    // Gives new documents their objects and keeps the window order.
    void documentsChanged();
    void broughtToFront(MyDocument* document);
    void reportDocuments();
    QStringList documentPaths() const;

    void activate();
    void open(const QStringList& uris);

    WDocumentController& mDocuments;
    QDBusConnection mConnection;
    std::vector<QPointer<WDocumentScriptObject>> mObjects;  // front window first
    int mLastNumber = 0;
    QStringList mReportedPaths;
};
