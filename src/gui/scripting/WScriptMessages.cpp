#include "scripting/WScriptMessages.h"

#include <QDBusArgument>
#include <QDBusMetaType>
#include <QDBusVariant>

namespace WScriptMessages {

QVariant unwrapVariant(const QVariant& value)
{
    if (value.metaType() == QMetaType::fromType<QDBusVariant>())
        return value.value<QDBusVariant>().variant();
    return value;
}

QString signatureOf(const QVariant& value)
{
    if (value.metaType() == QMetaType::fromType<QDBusArgument>())
        return value.value<QDBusArgument>().currentSignature();
    if (const char* signature = QDBusMetaType::typeToSignature(value.metaType()))
        return QString::fromLatin1(signature);
    return QStringLiteral("?");
}

std::optional<QString> toString(const QVariant& value)
{
    if (value.metaType() != QMetaType::fromType<QString>())
        return std::nullopt;
    return value.toString();
}

std::optional<bool> toBool(const QVariant& value)
{
    if (value.metaType() != QMetaType::fromType<bool>())
        return std::nullopt;
    return value.toBool();
}

std::optional<int64_t> toInteger(const QVariant& value)
{
    switch (value.metaType().id()) {
    case QMetaType::UChar:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong: return value.toLongLong();
    case QMetaType::ULongLong: {
        // Past the signed range it is out of every text anyway.
        const qulonglong unsignedValue = value.toULongLong();
        return unsignedValue > qulonglong(INT64_MAX) ? INT64_MAX : int64_t(unsignedValue);
    }
    default: return std::nullopt;
    }
}

std::optional<double> toDouble(const QVariant& value)
{
    if (value.metaType() == QMetaType::fromType<double>())
        return value.toDouble();
    if (auto integer = toInteger(value))
        return double(*integer);
    return std::nullopt;
}

std::optional<QVariantMap> toDictionary(const QVariant& value)
{
    if (value.metaType() == QMetaType::fromType<QVariantMap>())
        return value.toMap();
    if (value.metaType() != QMetaType::fromType<QDBusArgument>() || signatureOf(value) != QStringLiteral("a{sv}"))
        return std::nullopt;
    QVariantMap map = qdbus_cast<QVariantMap>(value.value<QDBusArgument>());
    for (auto entry = map.begin(); entry != map.end(); ++entry)
        entry.value() = unwrapVariant(entry.value());
    return map;
}

QDBusMessage scriptError(const QDBusMessage& call, const WScriptError& error)
{
    return call.createErrorReply(error.kind == WScriptError::Range ? kRangeError : kGenericError,
                                 QString::fromStdString(error.message));
}

QDBusMessage wrongType(const QDBusMessage& call, const QString& what, const QString& expected, const QVariant& value)
{
    return invalidArguments(call, QStringLiteral("%1 takes %2, not '%3'").arg(what, expected, signatureOf(value)));
}

QDBusMessage invalidArguments(const QDBusMessage& call, const QString& text)
{
    return call.createErrorReply(kInvalidArgs, text);
}

QDBusMessage unknownObject(const QDBusMessage& call)
{
    return call.createErrorReply(kUnknownObject, QStringLiteral("No such object path '%1'").arg(call.path()));
}

QDBusMessage unknownMethod(const QDBusMessage& call)
{
    return call.createErrorReply(kUnknownMethod,
                                 QStringLiteral("No such method '%1' in interface '%2' at object path '%3' (signature '%4')")
                                     .arg(call.member(), call.interface(), call.path(), call.signature()));
}

}  // namespace WScriptMessages
