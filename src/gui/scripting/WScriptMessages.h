#pragma once

#include <QDBusMessage>
#include <QString>
#include <QVariant>
#include <QVariantMap>

#include <cstdint>
#include <optional>

#include "document/WDocumentScripting.h"

// Reading the typed values of scripting messages and making their error
// replies. A value of another D-Bus type than the one asked for reads as nothing;
// the caller answers with invalidArguments.
namespace WScriptMessages {

inline const QString kInvalidArgs = QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs");
inline const QString kUnknownMethod = QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod");
inline const QString kUnknownObject = QStringLiteral("org.freedesktop.DBus.Error.UnknownObject");
inline const QString kUnknownInterface = QStringLiteral("org.freedesktop.DBus.Error.UnknownInterface");
inline const QString kUnknownProperty = QStringLiteral("org.freedesktop.DBus.Error.UnknownProperty");
inline const QString kPropertyReadOnly = QStringLiteral("org.freedesktop.DBus.Error.PropertyReadOnly");
inline const QString kGenericError = QStringLiteral("io.wexel.Wexel.Error.Generic");
inline const QString kRangeError = QStringLiteral("io.wexel.Wexel.Error.Range");

// The D-Bus signature of a value as it arrived: "s", "i", "a{sv}", ...
QString signatureOf(const QVariant& value);

std::optional<QString> toString(const QVariant& value);
std::optional<bool> toBool(const QVariant& value);
// Any integer type, signed or not.
std::optional<int64_t> toInteger(const QVariant& value);
// A double or any integer type.
std::optional<double> toDouble(const QVariant& value);
// An a{sv} dictionary, its values unwrapped.
std::optional<QVariantMap> toDictionary(const QVariant& value);
// The value inside a "v" argument.
QVariant unwrapVariant(const QVariant& value);

QDBusMessage scriptError(const QDBusMessage& call, const WScriptError& error);
// "Argument 'fromOffset' takes an integer, not 's'" and the like.
QDBusMessage wrongType(const QDBusMessage& call, const QString& what, const QString& expected, const QVariant& value);
QDBusMessage invalidArguments(const QDBusMessage& call, const QString& text);
QDBusMessage unknownObject(const QDBusMessage& call);
QDBusMessage unknownMethod(const QDBusMessage& call);

}  // namespace WScriptMessages
