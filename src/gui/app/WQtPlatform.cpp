#include "app/WQtPlatform.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFontDatabase>
#include <QImageReader>
#include <QUrl>

namespace {
QString toQString(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
}  // namespace

std::vector<std::string> WQtPlatform::QtFontCatalog::families() const
{
    std::vector<std::string> names;
    for (const QString& family : QFontDatabase::families())
        names.push_back(family.toStdString());
    return names;
}

std::vector<WFontCatalog::Member> WQtPlatform::QtFontCatalog::membersOfFamily(std::string_view family) const
{
    // A face is selected by "Family Style"; the plain style keeps the family's own name.
    const QString familyName = toQString(family);
    std::vector<Member> members;
    for (const QString& style : QFontDatabase::styles(familyName)) {
        const bool regular = style.compare(u"Regular", Qt::CaseInsensitive) == 0
                          || style.compare(u"Normal", Qt::CaseInsensitive) == 0
                          || style.compare(u"Book", Qt::CaseInsensitive) == 0;
        const QString fontName = regular ? familyName : familyName + u' ' + style;
        members.push_back({fontName.toStdString(), style.toStdString()});
    }
    return members;
}

void WQtPlatform::beep()
{
    QApplication::beep();
}

std::string WQtPlatform::userFixedPitchFontName() const
{
    return defaultFixedPitchFont().family().toStdString();
}

std::optional<WPixelSize> WQtPlatform::imageSize(const std::filesystem::path& image) const
{
    QImageReader reader(QString::fromStdString(image.string()));
    const QSize size = reader.size();
    if (!size.isValid())
        return std::nullopt;
    return WPixelSize{size.width(), size.height()};
}

bool WQtPlatform::openFile(const std::filesystem::path& file)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(file.string())));
}

bool WQtPlatform::isShiftKeyDown() const
{
    return QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ShiftModifier);
}

QFont WQtPlatform::defaultFixedPitchFont()
{
    const QString preferred = QString::fromLatin1(kPreferredFixedPitchFamily);
    if (QFontDatabase::hasFamily(preferred)) {
        QFont font(preferred);
        font.setStyleHint(QFont::TypeWriter);
        return font;
    }
    return QFontDatabase::systemFont(QFontDatabase::FixedFont);
}

QFont WQtPlatform::fontNamed(const QString& name, double pointSize)
{
    QFont font = defaultFixedPitchFont();
    if (QFontDatabase::hasFamily(name)) {
        font = QFont(name);
    } else {
        // The longest family that starts the name, and the rest as its face.
        QString bestFamily;
        for (const QString& family : QFontDatabase::families()) {
            if (family.size() > bestFamily.size() && name.startsWith(family + u' '))
                bestFamily = family;
        }
        if (!bestFamily.isEmpty()) {
            const QString style = name.mid(bestFamily.size() + 1);
            font = QFontDatabase::font(bestFamily, style, pointSize > 0 ? qRound(pointSize) : 12);
        }
    }
    if (pointSize > 0)
        font.setPointSizeF(pointSize);
    return font;
}
