#pragma once

#include <QObject>

#include "menus/WResponder.h"

class MyDocument;

// The menu commands a document answers: running an add-on from the Tools menu
// (executeScript:), choosing a font or a size, and the document commands of
// the menus and the context menu (the information sheet, the browser, the tag
// file, recolouring, the Store Window Status switch). It lives as long as its
// document and answers for the document's window, and for the main window
// while a panel or another window has the keyboard.
class WDocumentMenuResponder : public QObject, public WResponder {
    Q_OBJECT
public:
    // Makes the responder of a document whose window exists.
    static WDocumentMenuResponder* attach(MyDocument* document);
    ~WDocumentMenuResponder() override;

    bool tryToPerform(std::string_view action, WMenuItem* sender) override;
    bool respondsToAction(std::string_view action) const override;
    bool validateMenuItem(WMenuItem& item) override;

    void executeScript(WMenuItem* sender);

private:
    explicit WDocumentMenuResponder(MyDocument* document);
    MyDocument* mDocument;
};
