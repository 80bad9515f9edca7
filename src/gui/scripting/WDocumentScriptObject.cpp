#include "scripting/WDocumentScriptObject.h"

#include <QComboBox>
#include <QTimer>

#include <array>

#include "document/MyDocument.h"
#include "document/WDocumentWindow.h"
#include "canvas/WTextCanvas.h"
#include "scripting/WScriptMessages.h"

using namespace WScriptMessages;

namespace {
constexpr std::array<WScriptObject::Property, 14> kProperties = {{
    {"encoding", "s", true},
    {"retcode", "s", true},
    {"syntaxtype", "s", true},
    {"fontname", "s", true},
    {"fontsize", "d", true},
    {"selectedrange", "a{sv}", true},
    {"wordwrap", "b", true},
    {"autoindent", "b", true},
    {"selectedtext", "s", true},
    {"selectionLocation", "i", true},
    {"selectionLength", "i", true},
    {"text", "s", false},
    {"path", "s", false},
    {"title", "s", false},
}};

// Reported in PropertiesChanged with their values; the texts, which may be
// long, only as invalidated.
constexpr std::array<const char*, 12> kReportedProperties = {
    "encoding", "retcode",  "syntaxtype", "fontname",          "fontsize",        "selectedrange",
    "wordwrap", "autoindent", "selectionLocation", "selectionLength", "path", "title"};

const QString kLocationKey = QStringLiteral("uni_location");
const QString kLengthKey = QStringLiteral("uni_length");

QString argumentName(const QString& key)
{
    return QStringLiteral("Argument '%1'").arg(key);
}

QString propertyName(const QString& key)
{
    return QStringLiteral("Property '%1'").arg(key);
}

// The command's arguments: only these names, each of its own type.
std::optional<QDBusMessage> checkArguments(const QDBusMessage& call, const QVariantMap& arguments,
                                           std::initializer_list<std::pair<const char*, char>> allowed)
{
    for (auto entry = arguments.begin(); entry != arguments.end(); ++entry) {
        const auto* found = std::find_if(allowed.begin(), allowed.end(),
                                         [&](const auto& name) { return entry.key() == QLatin1String(name.first); });
        if (found == allowed.end())
            return invalidArguments(call, QStringLiteral("%1 has no argument '%2'").arg(call.member(), entry.key()));
        const QVariant& value = entry.value();
        switch (found->second) {
        case 's':
            if (!toString(value))
                return wrongType(call, argumentName(entry.key()), QStringLiteral("a string"), value);
            break;
        case 'b':
            if (!toBool(value))
                return wrongType(call, argumentName(entry.key()), QStringLiteral("a boolean"), value);
            break;
        case 'i':
            if (!toInteger(value))
                return wrongType(call, argumentName(entry.key()), QStringLiteral("an integer"), value);
            break;
        }
    }
    return std::nullopt;
}

std::optional<std::u16string> toText(const QVariant& value)
{
    if (!value.isValid())
        return std::nullopt;
    const QString text = value.toString();
    return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<size_t>(text.size()));
}

QVariantMap rangeRecord(WRange range)
{
    return {{kLocationKey, static_cast<int>(range.location)}, {kLengthKey, static_cast<int>(range.length)}};
}
}  // namespace

WDocumentScriptObject::WDocumentScriptObject(MyDocument* document, int number, const QDBusConnection& connection)
    : QObject(document), mDocument(document), mNumber(number), mConnection(connection)
{
    setObjectName(QStringLiteral("scripting"));
    if (!isAvailable())
        return;
    WDocumentWindow* window = document->window();
    WTextCanvas* view = document->textView();
    connect(view, &WTextCanvas::selectionChanged, this, &WDocumentScriptObject::scheduleCheck);
    connect(view, &WTextCanvas::cursorPositionChanged, this, &WDocumentScriptObject::scheduleCheck);
    connect(view, &WTextCanvas::textReplaced, this, [this] {
        mTextChanged = true;
        scheduleCheck();
    });
    // The pop-ups follow the encoding, the line ends and the text type, whoever changes them.
    for (QComboBox* popup : {window->characterCodePopupButton(), window->returnCodePopupButton(),
                             window->textTypePopupButton()})
        connect(popup, &QComboBox::currentIndexChanged, this, &WDocumentScriptObject::scheduleCheck);
    connect(window, &QWidget::windowTitleChanged, this, &WDocumentScriptObject::scheduleCheck);
    mReported = snapshot();
}

WDocumentScriptObject* WDocumentScriptObject::of(const MyDocument* document)
{
    return document ? document->findChild<WDocumentScriptObject*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

bool WDocumentScriptObject::isAvailable() const
{
    return mDocument->window() && mDocument->textView();
}

std::span<const WScriptObject::Property> WDocumentScriptObject::properties() const
{
    return kProperties;
}

// ---- properties ------------------------------------------------------------------------------

QVariant WDocumentScriptObject::readProperty(const QString& name, std::optional<WScriptError>* error)
{
    MyDocument& document = *mDocument;
    if (name == QLatin1String("encoding"))
        return document.encoding();
    if (name == QLatin1String("retcode") || name == QLatin1String("syntaxtype")) {
        QString value;
        *error = name == QLatin1String("retcode") ? document.retcode(&value) : document.syntaxtype(&value);
        return value;
    }
    if (name == QLatin1String("fontname"))
        return document.fontname();
    if (name == QLatin1String("fontsize"))
        return document.fontsize();
    if (name == QLatin1String("selectedrange"))
        return rangeRecord(document.selectedrange());
    if (name == QLatin1String("wordwrap"))
        return document.wordwrap();
    if (name == QLatin1String("autoindent"))
        return document.autoindent();
    if (name == QLatin1String("selectedtext"))
        return document.selectedtext();
    if (name == QLatin1String("selectionLocation"))
        return static_cast<int>(document.selectionLocation());
    if (name == QLatin1String("selectionLength"))
        return static_cast<int>(document.selectionLength());
    if (name == QLatin1String("text"))
        return document.text();
    if (name == QLatin1String("path"))
        return document.fileName();
    if (name == QLatin1String("title"))
        return document.displayName();
    return {};
}

std::optional<QDBusMessage> WDocumentScriptObject::writeProperty(const QDBusMessage& call, const QString& name,
                                                                 const QVariant& value)
{
    MyDocument& document = *mDocument;
    auto failed = [&call](const MyDocument::ScriptError& error) -> std::optional<QDBusMessage> {
        if (error)
            return scriptError(call, *error);
        return std::nullopt;
    };
    // String properties.
    if (name == QLatin1String("encoding") || name == QLatin1String("retcode") || name == QLatin1String("syntaxtype")
        || name == QLatin1String("fontname") || name == QLatin1String("selectedtext")) {
        const auto string = toString(value);
        if (!string)
            return wrongType(call, propertyName(name), QStringLiteral("a string"), value);
        if (name == QLatin1String("encoding"))
            return failed(document.setEncoding(*string));
        if (name == QLatin1String("retcode"))
            return failed(document.setRetcode(*string));
        if (name == QLatin1String("syntaxtype"))
            return failed(document.setSyntaxType(*string));
        if (name == QLatin1String("fontname"))
            document.setFontname(*string);
        else
            document.setSelectedtext(*string);
        return std::nullopt;
    }
    if (name == QLatin1String("wordwrap") || name == QLatin1String("autoindent")) {
        const auto flag = toBool(value);
        if (!flag)
            return wrongType(call, propertyName(name), QStringLiteral("a boolean"), value);
        if (name == QLatin1String("wordwrap"))
            document.setWordwrap(*flag);
        else
            document.setAutoindent(*flag);
        return std::nullopt;
    }
    if (name == QLatin1String("fontsize")) {
        const auto size = toDouble(value);
        if (!size)
            return wrongType(call, propertyName(name), QStringLiteral("a number"), value);
        return failed(document.setFontsize(*size));
    }
    if (name == QLatin1String("selectionLocation") || name == QLatin1String("selectionLength")) {
        const auto number = toInteger(value);
        if (!number)
            return wrongType(call, propertyName(name), QStringLiteral("an integer"), value);
        return failed(name == QLatin1String("selectionLocation") ? document.setSelectionLocation(*number)
                                                                 : document.setSelectionLength(*number));
    }
    if (name == QLatin1String("selectedrange")) {
        const auto record = toDictionary(value);
        if (!record)
            return wrongType(call, propertyName(name), QStringLiteral("a dictionary (a{sv})"), value);
        std::optional<int64_t> location;
        std::optional<int64_t> length;
        for (auto entry = record->begin(); entry != record->end(); ++entry) {
            if (entry.key() != kLocationKey && entry.key() != kLengthKey)
                return invalidArguments(call, QStringLiteral("A selected range has no field '%1'").arg(entry.key()));
            const auto number = toInteger(entry.value());
            if (!number)
                return wrongType(call, QStringLiteral("Field '%1'").arg(entry.key()), QStringLiteral("an integer"),
                                 entry.value());
            (entry.key() == kLocationKey ? location : length) = number;
        }
        return failed(document.setSelectedrange(location, length));
    }
    return WScriptObject::writeProperty(call, name, value);
}

// ---- commands --------------------------------------------------------------------------------

QDBusMessage WDocumentScriptObject::callMethod(const QDBusMessage& call)
{
    if (!call.interface().isEmpty() && call.interface() != kInterface)
        return unknownMethod(call);
    const QString member = call.member();
    if (member != QLatin1String("search") && member != QLatin1String("replaceAll")
        && member != QLatin1String("scrollToSelection"))
        return unknownMethod(call);
    QVariantMap arguments;
    if (call.signature() == QLatin1String("a{sv}"))
        arguments = toDictionary(call.arguments().at(0)).value_or(QVariantMap());
    else if (!(member == QLatin1String("scrollToSelection") && call.signature().isEmpty()))
        return invalidArguments(call, QStringLiteral("%1 takes its arguments as one dictionary (a{sv}), not '%2'")
                                          .arg(member, call.signature()));

    if (member == QLatin1String("search"))
        return search(call, arguments);
    if (member == QLatin1String("replaceAll"))
        return replaceAll(call, arguments);
    if (auto wrong = checkArguments(call, arguments, {}))
        return *wrong;
    mDocument->handleScrollToSelectionCommand();
    return call.createReply();
}

QDBusMessage WDocumentScriptObject::search(const QDBusMessage& call, const QVariantMap& arguments)
{
    if (auto wrong = checkArguments(call, arguments, {{"searchText", 's'}, {"ignoreCase", 'b'}, {"fromOffset", 'i'}}))
        return *wrong;
    WSearchScriptArguments named;
    named.searchText = toText(arguments.value(QStringLiteral("searchText")));
    if (arguments.contains(QStringLiteral("ignoreCase")))
        named.ignoreCase = arguments.value(QStringLiteral("ignoreCase")).toBool();
    if (arguments.contains(QStringLiteral("fromOffset")))
        named.fromOffset = toInteger(arguments.value(QStringLiteral("fromOffset")));
    const WSearchScriptResult result = mDocument->handleSearchCommand(named);
    if (!result.error.empty())
        return scriptError(call, {WScriptError::Generic, result.error});
    return call.createReply(QVariant::fromValue(static_cast<int>(result.value)));
}

QDBusMessage WDocumentScriptObject::replaceAll(const QDBusMessage& call, const QVariantMap& arguments)
{
    if (auto wrong =
            checkArguments(call, arguments, {{"searchText", 's'}, {"replaceText", 's'}, {"ignoreCase", 'b'}}))
        return *wrong;
    WSearchScriptArguments named;
    named.searchText = toText(arguments.value(QStringLiteral("searchText")));
    named.replaceText = toText(arguments.value(QStringLiteral("replaceText")));
    if (arguments.contains(QStringLiteral("ignoreCase")))
        named.ignoreCase = arguments.value(QStringLiteral("ignoreCase")).toBool();
    const WSearchScriptResult result = mDocument->handleReplaceAllCommand(named);
    if (!result.error.empty())
        return scriptError(call, {WScriptError::Generic, result.error});
    return call.createReply(QVariant::fromValue(static_cast<uint>(result.value)));
}

// ---- following the document --------------------------------------------------------------------

WDocumentScriptObject::Snapshot WDocumentScriptObject::snapshot()
{
    Snapshot shot;
    for (const char* name : kReportedProperties) {
        std::optional<WScriptError> error;
        QVariant value = readProperty(QLatin1String(name), &error);
        if (!error)
            shot.values.insert(QLatin1String(name), value);
    }
    return shot;
}

void WDocumentScriptObject::scheduleCheck()
{
    if (mCheckPending)
        return;
    mCheckPending = true;
    QTimer::singleShot(0, this, &WDocumentScriptObject::checkForChanges);
}

void WDocumentScriptObject::checkForChanges()
{
    mCheckPending = false;
    if (!isAvailable())
        return;
    Snapshot now = snapshot();
    QVariantMap changed;
    for (auto entry = now.values.begin(); entry != now.values.end(); ++entry) {
        if (mReported.values.value(entry.key()) != entry.value())
            changed.insert(entry.key(), entry.value());
    }
    QStringList invalidated;
    if (mTextChanged)
        invalidated << QStringLiteral("text");
    if (mTextChanged || changed.contains(QStringLiteral("selectedrange")))
        invalidated << QStringLiteral("selectedtext");
    mTextChanged = false;
    mReported = std::move(now);
    if (!changed.isEmpty() || !invalidated.isEmpty())
        emitPropertiesChanged(mConnection, path(), changed, invalidated);
}
