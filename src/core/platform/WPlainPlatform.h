#pragma once

#include "platform/WPlatform.h"

// A platform without a desktop: the home folder from $HOME (or the password
// database), resources from $WEXEL_RESOURCES, the installed share folder or the
// source tree, no fonts but a fixed list, no images, no beeping beyond a
// count. Used by wexel-tool and by the core tests, which may change any of it.
class WPlainPlatform : public WPlatform {
public:
    class FixedFontCatalog : public WFontCatalog {
    public:
        std::vector<std::string> familyNames;
        std::vector<std::pair<std::string, std::vector<Member>>> membersByFamily;

        std::vector<std::string> families() const override { return familyNames; }
        std::vector<Member> membersOfFamily(std::string_view family) const override;
    };

    WPlainPlatform();

    std::filesystem::path homeDirectory() const override { return home; }
    std::optional<std::filesystem::path> pathForResource(std::string_view name,
                                                         std::string_view ext) const override;
    void beep() override { ++beepCount; }
    std::string userFixedPitchFontName() const override { return fixedPitchFontName; }
    const WFontCatalog& fonts() const override { return fontCatalog; }
    std::optional<WPixelSize> imageSize(const std::filesystem::path& image) const override;
    bool openFile(const std::filesystem::path& file) override;
    bool isShiftKeyDown() const override { return shiftKeyDown; }

    // $HOME, else the home folder the password database gives the user.
    static std::filesystem::path userHomeFolder();
    // The folders searched for resources, in order.
    static std::vector<std::filesystem::path> defaultResourceFolders();

    std::filesystem::path home;
    std::vector<std::filesystem::path> resourceFolders;
    std::string fixedPitchFontName = "Monospace";
    FixedFontCatalog fontCatalog;
    std::vector<std::pair<std::filesystem::path, WPixelSize>> imageSizes;
    std::vector<std::filesystem::path> openedFiles;
    int beepCount = 0;
    bool shiftKeyDown = false;
};
