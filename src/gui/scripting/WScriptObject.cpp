#include "scripting/WScriptObject.h"

#include <QDBusVariant>

#include "scripting/WScriptMessages.h"

namespace {
const QString kPropertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
}

const WScriptObject::Property* WScriptObject::findProperty(const QString& name) const
{
    for (const Property& property : properties()) {
        if (name == QLatin1String(property.name))
            return &property;
    }
    return nullptr;
}

QDBusMessage WScriptObject::answer(const QDBusMessage& call)
{
    QDBusMessage reply = call.interface() == kPropertiesInterface ? answerProperties(call) : callMethod(call);
    answered();
    return reply;
}

std::optional<QDBusMessage> WScriptObject::writeProperty(const QDBusMessage& call, const QString& name,
                                                         const QVariant&)
{
    return call.createErrorReply(WScriptMessages::kPropertyReadOnly,
                                 QStringLiteral("Property '%1' is read-only").arg(name));
}

QDBusMessage WScriptObject::answerProperties(const QDBusMessage& call)
{
    using namespace WScriptMessages;
    const QString member = call.member();
    const QString signature = call.signature();
    const QVariantList arguments = call.arguments();
    const bool known = (member == QLatin1String("Get") && signature == QLatin1String("ss"))
                       || (member == QLatin1String("Set") && signature == QLatin1String("ssv"))
                       || (member == QLatin1String("GetAll") && signature == QLatin1String("s"));
    if (!known)
        return unknownMethod(call);
    // An empty interface name stands for whichever interface has the property.
    const QString interface = arguments.at(0).toString();
    if (!interface.isEmpty() && interface != interfaceName())
        return call.createErrorReply(kUnknownInterface, QStringLiteral("No such interface '%1' at object path '%2'")
                                                            .arg(interface, call.path()));

    if (member == QLatin1String("GetAll")) {
        QVariantMap values;
        for (const Property& property : properties()) {
            std::optional<WScriptError> error;
            QVariant value = readProperty(QLatin1String(property.name), &error);
            if (!error)
                values.insert(QLatin1String(property.name), value);
        }
        return call.createReply(QVariant::fromValue(values));
    }

    const QString name = arguments.at(1).toString();
    const Property* property = findProperty(name);
    if (!property)
        return call.createErrorReply(kUnknownProperty, QStringLiteral("No such property '%1'").arg(name));
    if (member == QLatin1String("Get")) {
        std::optional<WScriptError> error;
        QVariant value = readProperty(name, &error);
        if (error)
            return scriptError(call, *error);
        return call.createReply(QVariant::fromValue(QDBusVariant(value)));
    }
    if (!property->writable)
        return WScriptObject::writeProperty(call, name, {}).value();
    if (auto failure = writeProperty(call, name, unwrapVariant(arguments.at(2))))
        return *failure;
    return call.createReply();
}

void WScriptObject::emitPropertiesChanged(const QDBusConnection& connection, const QString& path,
                                          const QVariantMap& changed, const QStringList& invalidated) const
{
    QDBusMessage signal = QDBusMessage::createSignal(path, kPropertiesInterface, QStringLiteral("PropertiesChanged"));
    signal << interfaceName() << changed << invalidated;
    connection.send(signal);
}
