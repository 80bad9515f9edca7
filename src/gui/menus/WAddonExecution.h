#pragma once

#include <filesystem>
#include <optional>

#include "addons/WAddon.h"

class QWidget;
class WTextViewPlatform;

// Runs an add-on on a text view the way the Tools menu does. The window keeps
// repainting while the script runs; after a moment a dialog offers to stop it.
// The output replaces the selection as if typed, or the whole text as one undo
// step, as the add-on asks; anything that went wrong is told to the user and
// leaves the text as it was. Should the view close during the run (its window
// closed, the editor quitting), the script is stopped, its temporary files go,
// and nothing of the view is touched again.
class WAddonExecution {
public:
    // view and viewWidget are the same text view; the widget is watched so a
    // view closed meanwhile is left alone.
    static WAddonResult execute(const std::filesystem::path& addon, WTextViewPlatform& view, QWidget* viewWidget,
                                const std::optional<std::filesystem::path>& documentPath);

    // Milliseconds before the stop dialog shows (2000 unless a test changes it).
    static void setProgressDelay(int milliseconds);
    static bool isRunning();
    // Asks the running add-on, if any, to stop; the run ends at its next look.
    static void stopRunning();
};
