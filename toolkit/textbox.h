#pragma once

#include <QLineEdit>

namespace toolkit {

// A single-line text box that reports when the user moves into it, by mouse or by the keyboard.
// Focus coming back with a re-activated window does not count: nothing the user typed is lost
// by switching windows. Nor does focus the program hands on when it disables or hides the control
// that had it: Qt gives that move the reason of a Tab, but no one pressed one.
class TextBox : public QLineEdit {
    Q_OBJECT
public:
    explicit TextBox(const QString &text, QWidget *parent = nullptr);

Q_SIGNALS:
    void gotFocus();

protected:
    void focusInEvent(QFocusEvent *event) override;
};

} // namespace toolkit
