#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class MyDocument;

// Keeps the open documents and runs the document commands: New, Open, Save,
// Save As, Revert, Close, and closing everything on Quit. Every question goes
// through WPresenter.
class WDocumentController : public QObject {
    Q_OBJECT
public:
    explicit WDocumentController(QObject* parent = nullptr);
    ~WDocumentController() override;

    MyDocument* newDocument();
    // Opens the file in its own window, or brings its window to the front when
    // it is open already. Null, after telling the user why, when it cannot.
    MyDocument* openDocument(const QString& path);
    bool saveDocument(MyDocument* document);
    bool saveDocumentAs(MyDocument* document);
    bool saveDocumentTo(MyDocument* document, const QString& path);
    bool revertDocument(MyDocument* document);
    // Asks Save / Don't Save / Cancel first when the document has unsaved changes.
    bool closeDocument(MyDocument* document);
    // Closes every document, asking for each; false when the user cancelled.
    bool closeAllDocuments();

    const std::vector<std::unique_ptr<MyDocument>>& documents() const { return mDocuments; }
    MyDocument* documentForFile(const QString& path) const;
    // The document whose window was last in front.
    MyDocument* currentDocument() const;
    // Shows the document's window above the others and makes it the current one.
    void bringToFront(MyDocument* document);

    // The menu commands, on the current document.
    void newDocumentCommand();
    void openDocumentCommand();
    void closeCommand();
    void saveCommand();
    void saveAsCommand();
    void revertCommand();
    // Closes every document (asking about unsaved changes and a running add-on) and ends the editor.
    void quitCommand();

signals:
    void documentsChanged();
    void currentDocumentChanged();
    // A file was opened or saved (for the recent lists).
    void documentFileUsed(const QString& path);

private:
    void setCurrent(MyDocument* document);
    MyDocument* adopt(std::unique_ptr<MyDocument> document);
    void discard(MyDocument* document);
    bool shouldCloseDocument(MyDocument* document);

    std::vector<std::unique_ptr<MyDocument>> mDocuments;
    MyDocument* mCurrent = nullptr;
    int mUntitledCount = 0;
    bool mClosing = false;
};
