#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

#include "menus/WMenu.h"
#include "menus/WResponder.h"

class QColorDialog;
class QMenu;
class QWidget;
class MyDocument;
class WDocumentController;
class WTextView;
class WTextCanvas;

// The editing commands of the main menu. The Format menu gains the line and
// block commands (sent to the focused text view, which validates them), the
// document's Word Wrap, Auto Indent and Store Window Status switches, Redraw
// Colours and Text Information (the last three answered by the document's
// own responder); an Insert menu after it
// holds the insertions that need something chosen first: a colour, an image,
// a link, a file's path or a file's text.
//
// The switches and the insertions are answered by the application's
// responder, which acts on the document of the active window (else the one
// last in front) and its text view.
class WEditingMenus : public QObject, public WResponder {
    Q_OBJECT
public:
    // What the user is asked; tests put their own answers here.
    struct Dialogs {
        // An existing file, or empty when the user cancels.
        std::function<QString(QWidget* window, const QString& title, const QString& filter)> chooseFile;
        // A URL for a link, or nothing when the user cancels.
        std::function<std::optional<QString>(QWidget* window)> askURL;
    };

    // Renders the Format items into the menu titled "Format" and puts the Insert
    // menu after it; the menus own what is added. Call once, after the main menus exist.
    static void addTo(QList<QMenu*>& mainMenus, WDocumentController& controller);

    static std::unique_ptr<WMenu> formatMenuModel();
    static std::unique_ptr<WMenu> insertMenuModel();

    // Null goes back to the file dialog and the input dialog.
    static void setDialogs(std::unique_ptr<Dialogs> dialogs);
    // The colour panel, once it has been opened; null before.
    static QColorDialog* colorPanel();

    ~WEditingMenus() override;

    bool tryToPerform(std::string_view action, WMenuItem* sender) override;
    bool respondsToAction(std::string_view action) const override;
    bool validateMenuItem(WMenuItem& item) override;

private:
    WEditingMenus(WDocumentController& controller, QObject* parent);

    MyDocument* targetDocument() const;
    WTextCanvas* targetWidget() const;
    WTextView* targetTextView() const;

    void showColorPanel();
    void insertChosenFile(std::string_view action);
    void insertLink();

    QPointer<WDocumentController> mController;
};
