#pragma once

#include <QObject>

#include "menus/WResponder.h"

class MyDocument;

// The document's part of the menu commands built from data: running an add-on
// from the Tools menu (executeScript:) and choosing a font or a size, with the
// check marks of the font menus. It lives as long as its document and answers
// for the document's window.
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
