#pragma once

#include <QString>

// Turning names from files and data into menu item titles.
class WMenuTitles {
public:
    // A QAction text shows "&" as an Alt mnemonic; a name's own "&" must stay one.
    static QString escaped(const QString& title);
    // The folder of a file for people: "~/site/pages" under the home folder.
    static QString folderForDisplay(const QString& path);
};
