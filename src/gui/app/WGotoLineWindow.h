#pragma once

#include <QWidget>

class QKeyEvent;
class QLineEdit;

// The one go-to-line window of the application: a field for the line number.
// Return sends the field's text on, Escape gives up; the window is hidden
// between uses.
class WGotoLineWindow : public QWidget {
    Q_OBJECT
public:
    explicit WGotoLineWindow(QWidget* parent = nullptr);

    QLineEdit* textField() const { return myGotoLineTextField; }

signals:
    void lineChosen(const QString& text);
    void cancelled();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QLineEdit* myGotoLineTextField;
};
