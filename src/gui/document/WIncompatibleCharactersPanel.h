#pragma once

#include <QDockWidget>
#include <QFutureWatcher>

#include <functional>
#include <vector>

#include "document/WCharacterCheck.h"

class QLabel;
class QToolButton;
class QTreeWidget;
class QTimer;
class WTextCanvas;

// The characters of a document that its encoding cannot hold, or holds only
// as another character, listed at the bottom of its window; choosing a row
// selects the character. The list follows the text and the encoding: it is
// worked out on a copy of the text in a worker thread, a moment after the
// typing stops, so typing never waits for it. An indicator button in the
// window's bar shows the count when it is not zero and opens the list.
class WIncompatibleCharactersPanel : public QDockWidget {
    Q_OBJECT
public:
    using EncodingSource = std::function<WStringEncoding()>;

    WIncompatibleCharactersPanel(WTextCanvas* textView, QToolButton* indicator, EncodingSource encoding,
                                 QWidget* parent);
    ~WIncompatibleCharactersPanel() override;

    // How the text is written in an encoding when that is not the text itself
    // (bad bytes of a leniently read file become stand-ins); it runs on the
    // worker thread, so it must be a plain function of its arguments. Null
    // goes back to the text itself.
    using SavedForm = std::u16string (*)(std::u16string_view text, WStringEncoding encoding);
    void setSavedForm(SavedForm form);

    // Works the list out again soon (after a change of the encoding, or of the text).
    void refresh();
    // Works it out now and waits for it (tests, and before answering about it).
    void refreshNow();

    const std::vector<WCharacterProblem>& problems() const { return mProblems; }
    QTreeWidget* list() const { return mList; }

    // Rows beyond this many are counted but not listed.
    static constexpr size_t kListedRows = 5000;

private:
    void start();
    void finished();
    void present(std::vector<WCharacterProblem> problems);
    void selectRow(int row);

    WTextCanvas* mTextView;
    QToolButton* mIndicator;
    EncodingSource mEncoding;
    SavedForm mSavedForm = nullptr;
    QLabel* mSummary;
    QTreeWidget* mList;
    QTimer* mDelay;
    QFutureWatcher<std::vector<WCharacterProblem>> mWatcher;
    bool mStale = false;  // asked again while a check was running
    std::vector<WCharacterProblem> mProblems;
};
