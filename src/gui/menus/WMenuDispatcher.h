#pragma once

#include "menus/WResponderChain.h"

class QObject;

// Sends menu commands to the first responder that handles them: the focused
// widget's, then those of the widgets around it (the document's, registered on
// its window), then the application's. Responders are registered against the
// Qt object they stand for and forgotten when that object goes away.
class WMenuDispatcher {
public:
    static void setResponder(QObject* object, WResponder* responder);  // null removes
    static WResponder* responderOf(const QObject* object);
    // Removes every registration of the responder (call it from its destructor).
    static void forget(WResponder* responder);
    static void setApplicationResponder(WResponder* responder);

    // The chain from the widget with the keyboard focus (else the active window) outwards.
    static WResponderChain currentChain();
    static bool sendAction(WMenuItem& item);
};
