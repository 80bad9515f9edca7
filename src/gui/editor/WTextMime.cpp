#include "editor/WTextMime.h"

#include <cstring>

#include "text/WStringUtils.h"

namespace {
const QString kExactTextType = QStringLiteral("application/x-wexel-utf16");
}

QMimeData* WTextMime::mimeDataFor(std::u16string_view text)
{
    auto* mime = new QMimeData;
    QString plain(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()));
    plain.replace(QChar(u'\r'), QChar(u'\n'));  // what other programs expect
    mime->setText(plain);
    mime->setData(kExactTextType, QByteArray(reinterpret_cast<const char*>(text.data()),
                                             static_cast<qsizetype>(text.size() * sizeof(char16_t))));
    return mime;
}

std::optional<std::u16string> WTextMime::exactTextOf(const QMimeData& source)
{
    if (!source.hasFormat(kExactTextType))
        return std::nullopt;
    const QByteArray bytes = source.data(kExactTextType);
    std::u16string text(static_cast<size_t>(bytes.size()) / sizeof(char16_t), u'\0');
    std::memcpy(text.data(), bytes.constData(), text.size() * sizeof(char16_t));
    return text;
}

std::optional<std::u16string> WTextMime::textToInsert(const QMimeData& source)
{
    if (auto exact = exactTextOf(source))
        return exact;
    if (!source.hasText())
        return std::nullopt;
    // Text from elsewhere may end its lines in LF or CR LF; here every line ends in CR.
    const QString text = source.text();
    return WStringUtils::convertReturnsToCR(
        std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<size_t>(text.size())));
}
