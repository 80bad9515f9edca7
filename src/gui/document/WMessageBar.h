#pragma once

#include <QFrame>
#include <QList>

#include <functional>

class QHBoxLayout;
class QLabel;
class QPushButton;

// A strip above the text with a message about it (a file that is not text, a
// file another program changed) and the buttons that answer it.
class WMessageBar : public QFrame {
    Q_OBJECT
public:
    explicit WMessageBar(const QString& message, QWidget* parent = nullptr);

    QString message() const;
    void setMessage(const QString& message);
    // Buttons line up at the right in the order they are added.
    QPushButton* addButton(const QString& title, std::function<void()> action);
    // The button of that title, or null.
    QPushButton* button(const QString& title) const;

private:
    QLabel* mMessage;
    QHBoxLayout* mRow;
    QList<QPushButton*> mButtons;
};
