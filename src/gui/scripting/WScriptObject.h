#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantMap>

#include <optional>
#include <span>

#include "document/WDocumentScripting.h"

// One object the scripting service exports: it answers
// org.freedesktop.DBus.Properties for its interface from a table of its
// properties, and leaves every other call to the subclass.
class WScriptObject {
public:
    struct Property {
        const char* name;
        const char* signature;
        bool writable;
    };

    virtual ~WScriptObject() = default;

    // The reply to a method call addressed to this object.
    QDBusMessage answer(const QDBusMessage& call);

    virtual QString interfaceName() const = 0;
    virtual std::span<const Property> properties() const = 0;

    // Sends PropertiesChanged for this object's interface.
    void emitPropertiesChanged(const QDBusConnection& connection, const QString& path, const QVariantMap& changed,
                               const QStringList& invalidated) const;

protected:
    // A property of the table: its value, or the error a script sees.
    virtual QVariant readProperty(const QString& name, std::optional<WScriptError>* error) = 0;
    // A writable property of the table: the error reply, or nothing when written.
    virtual std::optional<QDBusMessage> writeProperty(const QDBusMessage& call, const QString& name,
                                                      const QVariant& value);
    // Every call outside the Properties interface.
    virtual QDBusMessage callMethod(const QDBusMessage& call) = 0;
    // After each call, answered or refused: what it changed may need reporting.
    virtual void answered() {}

private:
    const Property* findProperty(const QString& name) const;
    QDBusMessage answerProperties(const QDBusMessage& call);
};
