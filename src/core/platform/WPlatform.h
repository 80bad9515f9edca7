#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The installed fonts, as the font menus need them: families, and the faces
// (members) of each family by their full font names.
class WFontCatalog {
public:
    struct Member {
        std::string fontName;   // the full name that selects this face
        std::string styleName;  // what the face is called within its family ("Bold", ...)
    };

    virtual ~WFontCatalog() = default;
    virtual std::vector<std::string> families() const = 0;
    virtual std::vector<Member> membersOfFamily(std::string_view family) const = 0;
};

struct WPixelSize {
    int width = 0;
    int height = 0;
};

// The few desktop services the core needs. The application installs its own
// realization at start; tests and wexel-tool use WPlainPlatform.
class WPlatform {
public:
    virtual ~WPlatform() = default;

    virtual std::filesystem::path homeDirectory() const = 0;
    // The shipped resource "name.ext", or nothing when it is not there.
    virtual std::optional<std::filesystem::path> pathForResource(std::string_view name,
                                                                 std::string_view ext) const = 0;
    virtual void beep() = 0;
    virtual std::string userFixedPitchFontName() const = 0;
    virtual const WFontCatalog& fonts() const = 0;
    virtual std::optional<WPixelSize> imageSize(const std::filesystem::path& image) const = 0;
    // Opens the file in the application the desktop assigns to it.
    virtual bool openFile(const std::filesystem::path& file) = 0;
    virtual bool isShiftKeyDown() const = 0;

    // "~/Library/Wexel", the user's own folder for tags, settings and add-ons.
    std::filesystem::path userLibraryFolder() const { return homeDirectory() / "Library" / "Wexel"; }

    // The platform in use. Never null: until something is installed, a
    // WPlainPlatform answers.
    static WPlatform& shared();
    // Installs a platform (not owned); null goes back to the plain one.
    static void setShared(WPlatform* platform);
};
