#pragma once

struct WBrowserChoice;

// Starts the browser Open with Browser chose: the desktop's URL opener for its
// default browser, or the named program, found on PATH and started with its
// argument list (never through a shell), left running on its own.
class WBrowserLauncher {
public:
    // False when nothing could be started (or nothing was to be).
    static bool open(const WBrowserChoice& choice);
};
