#pragma once

#include <QFrame>

#include <functional>

class QLabel;
class QPushButton;

// The strip above the text of a file whose bytes are not text in any
// encoding: what is wrong, that the text is read-only, where the first bad
// byte is, and a button that shows it.
class WUndecodableBytesBar : public QFrame {
    Q_OBJECT
public:
    WUndecodableBytesBar(const QString& message, std::function<void()> showFirstBadByte, QWidget* parent = nullptr);

    QString message() const;
    void setMessage(const QString& message);
    QPushButton* showButton() const { return mShowButton; }

private:
    QLabel* mMessage;
    QPushButton* mShowButton;
};
