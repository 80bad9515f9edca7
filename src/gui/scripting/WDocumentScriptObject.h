#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

#include <optional>

#include "scripting/WScriptObject.h"
#include "text/WRange.h"

class MyDocument;

// A document as scripts see it, at /io/wexel/Wexel/Document/N: the
// io.wexel.Wexel.Document properties and commands, turned into calls of the
// document's scripting accessors, and PropertiesChanged whenever the document's
// settings or selection change, however they changed. A child of its document,
// so it goes when the document goes.
class WDocumentScriptObject : public QObject, public WScriptObject {
    Q_OBJECT
public:
    static inline const QString kInterface = QStringLiteral("io.wexel.Wexel.Document");
    static inline const QString kPathPrefix = QStringLiteral("/io/wexel/Wexel/Document/");

    WDocumentScriptObject(MyDocument* document, int number, const QDBusConnection& connection);

    // The object that speaks for the document, if it has one.
    static WDocumentScriptObject* of(const MyDocument* document);

    int number() const { return mNumber; }
    QString path() const { return kPathPrefix + QString::number(mNumber); }
    MyDocument* document() const { return mDocument; }
    // A document whose window has gone answers nothing more.
    bool isAvailable() const;

    // WScriptObject
    QString interfaceName() const override { return kInterface; }
    std::span<const Property> properties() const override;

protected:
    QVariant readProperty(const QString& name, std::optional<WScriptError>* error) override;
    std::optional<QDBusMessage> writeProperty(const QDBusMessage& call, const QString& name,
                                              const QVariant& value) override;
    QDBusMessage callMethod(const QDBusMessage& call) override;
    void answered() override { scheduleCheck(); }

private:
    // What PropertiesChanged reports: everything cheap to read, compared with
    // what was last reported.
    struct Snapshot {
        QVariantMap values;
        bool operator==(const Snapshot&) const = default;
    };
    Snapshot snapshot();
    // Changes arrive in bursts (typing moves the selection and the text); one
    // signal after the burst says it all.
    void scheduleCheck();
    void checkForChanges();

    QDBusMessage search(const QDBusMessage& call, const QVariantMap& arguments);
    QDBusMessage replaceAll(const QDBusMessage& call, const QVariantMap& arguments);

    MyDocument* mDocument;  // our parent
    int mNumber;
    QDBusConnection mConnection;
    Snapshot mReported;
    bool mTextChanged = false;
    bool mCheckPending = false;
};
