#pragma once

#include <functional>

#include "menus/WResponderChain.h"

class QObject;
class QWidget;

// Sends menu commands to the first responder that handles them: the focused
// widget's, then those of the widgets around it (the document's, registered on
// its window), then, when a panel or another window has the keyboard, those of
// the main window (its text view's and its document's), then the application's. Responders are registered against the
// Qt object they stand for and forgotten when that object goes away.
class WMenuDispatcher {
public:
    static void setResponder(QObject* object, WResponder* responder);  // null removes
    static WResponder* responderOf(const QObject* object);
    // Removes every registration of the responder (call it from its destructor).
    static void forget(WResponder* responder);
    static void setApplicationResponder(WResponder* responder);
    // The document window the commands fall back on; none when it answers null.
    static void setMainWindowProvider(std::function<QWidget*()> provider);

    // The chain from the widget with the keyboard focus (else the active window) outwards.
    static WResponderChain currentChain();
    static bool sendAction(WMenuItem& item);
};
