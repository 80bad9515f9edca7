#pragma once

#include <QMainWindow>

#include <cstdint>
#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QMenuBar;
class QToolButton;
class QVBoxLayout;
class WTextCanvas;

// A document's window: the bar with the character-code, line-ending and
// text-type pop-ups and the line-number field, and the text view beneath it.
// It knows nothing of files; the document wires it up.
class WDocumentWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit WDocumentWindow(QWidget* parent = nullptr);

    WTextCanvas* textView() const { return mTextView; }
    QComboBox* characterCodePopupButton() const { return mCharacterCodePopup; }
    QComboBox* returnCodePopupButton() const { return mReturnCodePopup; }
    QComboBox* textTypePopupButton() const { return mTextTypePopup; }
    QLineEdit* lineNumberView() const { return mLineNumberView; }
    // Shown while the text holds characters its encoding cannot save as they are.
    QToolButton* incompatibleCharactersButton() const { return mIncompatibleButton; }

    // A short note in the status area at the foot of the window ("Not found");
    // it goes when the caret moves or after a few seconds.
    void showStatusMessage(const QString& message);
    QString statusMessage() const;
    // The caret's line and column, from 1, in the status area.
    void setCaretPosition(uint32_t line, uint32_t column);
    QLabel* caretPositionLabel() const { return mCaretPosition; }

    // A strip across the window between the bar and the text (a message about
    // the text); the window owns it from then on.
    void addBarAboveText(QWidget* strip);

    // Asked before the window closes; false keeps it open.
    std::function<bool()> shouldClose;

signals:
    void becameMain();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QVBoxLayout* mColumn;
    WTextCanvas* mTextView;
    QComboBox* mCharacterCodePopup;
    QComboBox* mReturnCodePopup;
    QComboBox* mTextTypePopup;
    QLineEdit* mLineNumberView;
    QToolButton* mIncompatibleButton;
    QLabel* mCaretPosition;
};
