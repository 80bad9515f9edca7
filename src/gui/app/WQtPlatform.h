#pragma once

#include <QFont>
#include <QString>

#include "platform/WPlainPlatform.h"

// The desktop's answers to what the core asks: installed fonts from
// QFontDatabase, image sizes from QImageReader, the beep, the Shift key and
// opening files in other applications. Home and resources are found as the
// plain platform finds them.
class WQtPlatform : public WPlatform {
public:
    class QtFontCatalog : public WFontCatalog {
    public:
        std::vector<std::string> families() const override;
        std::vector<Member> membersOfFamily(std::string_view family) const override;
    };

    std::filesystem::path homeDirectory() const override { return mPlain.homeDirectory(); }
    std::optional<std::filesystem::path> pathForResource(std::string_view name,
                                                         std::string_view ext) const override
    {
        return mPlain.pathForResource(name, ext);
    }
    void beep() override;
    std::string userFixedPitchFontName() const override;
    const WFontCatalog& fonts() const override { return mFonts; }
    std::optional<WPixelSize> imageSize(const std::filesystem::path& image) const override;
    bool openFile(const std::filesystem::path& file) override;
    bool isShiftKeyDown() const override;

    // The font a document names: a family ("IPAGothic"), or a family and a face
    // ("DejaVu Sans Mono Bold") as the font catalog lists them. A name no font has
    // gives the system's fixed-pitch font; a size of 0 or less the default size.
    static QFont fontNamed(const QString& name, double pointSize);
    // The editor's own fixed-pitch font: one with Japanese and a real backslash
    // in the same face, so that a line with Japanese is as high as one without
    // and "\\" never turns into a yen sign beside it; the system's fixed font
    // where it is not installed.
    static QFont defaultFixedPitchFont();
    static constexpr const char* kPreferredFixedPitchFamily = "Ricty Diminished";

private:
    WPlainPlatform mPlain;
    QtFontCatalog mFonts;
};
