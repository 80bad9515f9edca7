#pragma once

#include <QString>

// The desktop's list of recently used files (recently-used.xbel, which file
// choosers and the desktop's "Recent" places read): a file the editor opened
// or saved is added, or its entry brought up to date, with the editor among
// the applications that used it. Other entries are kept as they are; a list
// that cannot be read as XML is left alone.
class WDesktopRecentFiles {
public:
    // $XDG_DATA_HOME/recently-used.xbel (~/.local/share by default).
    static QString defaultListFile();
    static bool addFile(const QString& listFile, const QString& path);
};
