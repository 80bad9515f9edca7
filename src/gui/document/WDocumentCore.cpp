#include "document/WDocumentCore.h"

#include <QFile>
#include <QFileInfo>

#include "app/WApplicationDel.h"
#include "platform/WAtomicFile.h"
#include "prefs/WPrefsServer.h"
#include "platform/WFileAttributes.h"
#include "platform/WLog.h"
#include "platform/WPlatform.h"
#include "text/WEncoding.h"
#include "text/WStringUtils.h"

namespace WDocumentCore {

namespace {
// The application's signature, written as the creator code of saved files.
constexpr std::string_view kApplicationSignature = "Wexl";

std::filesystem::path toPath(const QString& path)
{
    return std::filesystem::path(path.toStdString());
}
}  // namespace

Preferences documentPreferences()
{
    Preferences preferences;
    WApplicationDel* application = WApplicationDel::shared();
    if (!application) {
        preferences.fontName = WPlatform::shared().userFixedPitchFontName();
        return preferences;
    }
    const WPrefsServer& store = application->prefsServer();
    preferences.wordWrap = store.boolForKey("word_wrap");
    preferences.autoIndent = store.boolForKey("auto_indent");
    preferences.storeWindowStatus = store.boolForKey("store_window_status");
    preferences.fontName = store.stringForKey("font_name");
    preferences.fontSize = store.floatForKey("font_size");
    return preferences;
}

std::optional<std::vector<uint8_t>> readFile(const QString& path, QString* errorMessage)
{
    constexpr qint64 kLargest = qint64(2) << 30;
    QFile file(path);
    auto fail = [&](const QString& message) -> std::optional<std::vector<uint8_t>> {
        if (errorMessage)
            *errorMessage = message;
        return std::nullopt;
    };
    if (!QFileInfo::exists(path))
        return fail(QStringLiteral("The file “%1” does not exist.").arg(path));
    if (file.size() > kLargest)
        return fail(QStringLiteral("The file is larger than 2 GB, more than this editor can open."));
    if (!file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("You do not have permission to read the file, or it cannot be read."));
    const QByteArray bytes = file.readAll();
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

std::optional<OpenedText> openBytes(std::span<const uint8_t> bytes)
{
    OpenedText opened;
    opened.encoding = bytes.empty() ? WShiftJISEncoding : WTextUtils::detectCharacterCodeType(bytes);
    auto text = WEncoding::decode(bytes, static_cast<WStringEncoding>(opened.encoding));
    if (!text) {
        opened.encoding = WShiftJISEncoding;
        text = WEncoding::decode(bytes, WShiftJISEncoding);
    }
    if (!text)
        return std::nullopt;
    opened.text = WStringUtils::convertReturnsToCR(*text, &opened.returnCodeType);
    return opened;
}

SavedText saveText(std::u16string_view text, uint32_t encoding, WReturnCodeType kind)
{
    SavedText saved;
    const std::u16string converted = WStringUtils::convertReturnsFromCR(text, kind);
    auto encoded = WEncoding::encode(converted, static_cast<WStringEncoding>(encoding));
    if (!encoded.error) {
        saved.bytes = std::move(encoded.bytes);
        return saved;
    }
    // The index is in the converted text; count back to the CR form the user sees.
    SaveFailure failure;
    uint32_t index = encoded.error->index;
    uint32_t line = 1;
    uint32_t lineStart = 0;
    uint32_t position = 0;
    for (uint32_t at = 0; at < index; ++at) {
        const char16_t unit = converted[at];
        if (unit == u'\r' && kind == WCRLF_type && at + 1 < converted.size() && converted[at + 1] == u'\n')
            ++at;
        ++position;
        if (unit == u'\r' || unit == u'\n') {
            ++line;
            lineStart = position;
        }
    }
    failure.range = {position, encoded.error->character > 0xFFFF ? 2u : 1u};
    failure.character = encoded.error->character;
    failure.line = line;
    failure.column = position - lineStart + 1;
    saved.failure = failure;
    return saved;
}

bool writeFile(const QString& path, const std::vector<uint8_t>& bytes, QString* errorMessage)
{
    const WFileWriteResult result = WAtomicFile::write(
        toPath(path), std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    if (!result && errorMessage)
        *errorMessage = QString::fromStdString(result.message);
    return static_cast<bool>(result);
}

void writeFileAttributes(const QString& path, WRange selection)
{
    const auto file = toPath(path);
    WApplicationDel* application = WApplicationDel::shared();
    if (application && application->prefsServer().boolForKey("store_text_type")) {
        WFileAttributes::setCreatorAndTypeCodes(file, WFileAttributes::codeFromString(kApplicationSignature),
                                                WFileAttributes::codeFromString("TEXT"));
    }
    WFileAttributes::setSelectedRange(file, selection);
}

std::optional<WRange> readSelectionAttribute(const QString& path, uint32_t textLength)
{
    return WFileAttributes::selectedRangeWithin(toPath(path), textLength);
}

}  // namespace WDocumentCore
