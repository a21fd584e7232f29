#pragma once

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QWidget>

namespace platform {

class TextBox;

// A push button whose caption wraps onto more lines when it does not fit, as a caption like
// "Spiller A begynner" must in a narrow button, and is drawn smaller when even that is not enough. It takes the focus
// by mouse and keyboard, and Enter presses it while it has the focus, in every window.
class CommandButton : public QPushButton {
    Q_OBJECT
public:
    explicit CommandButton(const QString &text, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};

// A static rounded rectangle drawn behind the controls; it takes no input.
class Shape : public QWidget {
    Q_OBJECT
public:
    explicit Shape(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};

// A label announced to assistive technology as its role followed by its caption, for example
// "Spiller A, minutter: 12", however often the caption changes. A caption wider than the label
// (a read-out past 99 minutes) is drawn smaller instead of being cut.
class AnnouncedLabel : public QLabel {
    Q_OBJECT
public:
    explicit AnnouncedLabel(const QString &text, QWidget *parent = nullptr);

    QString announcePrefix() const { return m_prefix; }
    void setAnnouncePrefix(const QString &prefix);
    QString announcement() const { return m_prefix + text(); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_prefix;
};

// The font, no larger than the given one, in which text drawn with the flags (alignment, word
// wrap) fits into the area.
QFont fittedFont(const QFont &font, const QString &text, const QSize &area, int flags);

// The controls of the windows, each made with the name the program knows it by.
QGroupBox *makeFrame(QWidget *parent, const char *name, const QString &caption);
QLabel *makeLabel(QWidget *parent, const char *name, const QString &text);
CommandButton *makeButton(QWidget *parent, const char *name, const QString &caption);
// A text box named for assistive technology by its role; it takes at most maxLength characters.
TextBox *makeTextBox(QWidget *parent, const char *name, const QString &text, const QString &accessibleRole,
                     int maxLength);

// Makes AnnouncedLabel known to the accessibility bridge; called once at program start.
void installAccessibility();

} // namespace platform
