#include "document/WDocumentCore.h"

#include <QFile>
#include <QFileInfo>

#include "app/WApplicationDel.h"
#include "platform/WAtomicFile.h"
#include "prefs/WPrefsServer.h"
#include "platform/WFileAttributes.h"
#include "platform/WLog.h"
#include "platform/WPlatform.h"

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

std::optional<WFileBytes> readFile(const QString& path, QString* errorMessage)
{
    // A save of this file that a crash cut off is finished or undone first.
    WAtomicFile::recover(toPath(path));
    std::string message;
    auto bytes = WDocumentData::readFile(toPath(path), &message);
    if (!bytes && errorMessage)
        *errorMessage = QString::fromStdString(message);
    return bytes;
}

bool isSameFile(const QString& path, const QString& other)
{
    std::error_code error;
    return std::filesystem::equivalent(toPath(path), toPath(other), error) && !error;
}

std::optional<WOpenedText> openBytes(std::span<const uint8_t> bytes, const QString& path, QString* errorMessage)
{
    std::string message;
    auto opened = WDocumentData::openData(bytes, QFileInfo(path).fileName().toStdString(), &message);
    if (!opened && errorMessage)
        *errorMessage = QString::fromStdString(message);
    return opened;
}

std::optional<std::u16string> reloadBytes(std::span<const uint8_t> bytes, uint32_t encoding, const QString& path,
                                          QString* errorMessage)
{
    std::string message;
    auto text = WDocumentData::reloadData(bytes, static_cast<WStringEncoding>(encoding),
                                          QFileInfo(path).fileName().toStdString(), &message);
    if (!text && errorMessage)
        *errorMessage = QString::fromStdString(message);
    return text;
}

WSavedText saveText(std::u16string_view text, uint32_t encoding, WReturnCodeType kind, QString* errorMessage)
{
    WSavedText saved = WDocumentData::saveText(text, static_cast<WStringEncoding>(encoding), kind);
    if (saved.failure && errorMessage) {
        *errorMessage = QString::fromStdString(
            WDocumentData::saveFailureMessage(*saved.failure, static_cast<WStringEncoding>(encoding)));
    }
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
