// The default text font: Japanese and ASCII from one face, so a backslash
// beside Japanese is the face's own backslash and every line is as high as
// the next.
#include <QApplication>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QPainterPath>
#include <QRawFont>
#include <QTemporaryDir>
#include <QTextLayout>

#include <gtest/gtest.h>

#include "app/WApplicationDel.h"
#include "app/WQtPlatform.h"
#include "prefs/WPrefsServer.h"

namespace {

// The faces that draw each piece of a line, and the line's height.
struct Laid {
    QStringList families;
    qreal height = 0;
};

Laid layOut(const QString& text, const QFont& font)
{
    QTextLayout layout(text, font);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    layout.endLayout();
    Laid laid;
    laid.height = line.height();
    for (const QGlyphRun& run : layout.glyphRuns())
        laid.families << run.rawFont().familyName();
    laid.families.removeDuplicates();
    return laid;
}

bool preferredFontInstalled()
{
    return QFontDatabase::hasFamily(QString::fromLatin1(WQtPlatform::kPreferredFixedPitchFamily));
}

}  // namespace

TEST(DefaultFontTest, OneFaceDrawsJapaneseAndTheBackslashAndLinesAreEven)
{
    if (!preferredFontInstalled())
        GTEST_SKIP() << "fonts-ricty-diminished is not installed (scripts/install-deps.sh installs it)";
    const QFont font = WQtPlatform::fontNamed(QString::fromStdString(WQtPlatform().userFixedPitchFontName()), 12);
    EXPECT_EQ(font.family(), WQtPlatform::kPreferredFixedPitchFamily);

    const Laid ascii = layOut(QStringLiteral("$path = 'C:\\\\dir';"), font);
    const Laid japanese = layOut(QStringLiteral("echo \"円\\\\n表示\";  // 日本語のコメント"), font);
    EXPECT_EQ(ascii.families, QStringList{WQtPlatform::kPreferredFixedPitchFamily});
    EXPECT_EQ(japanese.families, QStringList{WQtPlatform::kPreferredFixedPitchFamily});
    EXPECT_EQ(japanese.height, ascii.height);

    // Its backslash is not drawn as a yen sign (IPAGothic draws both alike).
    auto backslashLooksLikeYen = [](const QFont& face) {
        const QRawFont raw = QRawFont::fromFont(face);
        const QList<quint32> glyphs = raw.glyphIndexesForString(QStringLiteral("\\"));
        if (glyphs.size() != 1)
            return true;
        // A backslash has no ink at its top right; a yen sign's right arm is there.
        const QPainterPath path = raw.pathForGlyph(glyphs[0]);
        const QRectF box = path.boundingRect();
        return path.intersects(QRectF(box.right() - box.width() * 0.25, box.top(), box.width() * 0.25,
                                      box.height() * 0.2));
    };
    EXPECT_FALSE(backslashLooksLikeYen(font));
    if (QFontDatabase::hasFamily(QStringLiteral("IPAGothic")))
        EXPECT_TRUE(backslashLooksLikeYen(QFont(QStringLiteral("IPAGothic"), 12)));  // the test can tell

    // Fixed pitch: a Japanese character is two ASCII ones wide.
    const QFontMetricsF metrics(font);
    EXPECT_EQ(metrics.horizontalAdvance(u'i'), metrics.horizontalAdvance(u'W'));
    EXPECT_EQ(metrics.horizontalAdvance(QChar(u'表')), 2 * metrics.horizontalAdvance(u'W'));
}

TEST(DefaultFontTest, IsTheDefaultOnlyWhereNoFontIsStored)
{
    QTemporaryDir folder;
    WQtPlatform platform;
    WPlatform::setShared(&platform);
    const QString preferences = folder.filePath("Wexel.plist");
    {
        WApplicationDel application(preferences);
        EXPECT_EQ(application.prefsServer().stringForKey("font_name"), platform.userFixedPitchFontName());
        WPrefsServer& prefs = application.prefsServer();
        prefs.tempDictionary().setObject(WPlistValue(std::string("IPAGothic")), "font_name");
        prefs.commit();
    }
    {
        WApplicationDel application(preferences);
        EXPECT_EQ(application.prefsServer().stringForKey("font_name"), "IPAGothic");
    }
    WPlatform::setShared(nullptr);
}
