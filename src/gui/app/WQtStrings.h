#pragma once

#include <QString>

#include <string_view>

// The text's UTF-16 code units and Qt's strings, one unit for one unit: no
// byte-order guessing from a leading mark, no normalisation, lone surrogates kept.
namespace wqt {

inline QString toQString(std::u16string_view text)
{
    return QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()));
}

inline std::u16string_view unitsOf(const QString& text)
{
    return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<size_t>(text.size())};
}

}  // namespace wqt
