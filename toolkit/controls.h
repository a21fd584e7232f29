#pragma once

#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QPushButton>
#include <QWidget>

#include <optional>

namespace toolkit {

class TextBox;

// The smallest text drawn, in pixels: about 5 points at 96 dpi, the size of fine print. Digits and
// capitals of the sans faces stay distinct there; below it letters run together.
inline constexpr int kMinimumTextPixels = 7;

// How a text is drawn in a fixed area.
struct FittedText {
    QFont font;    // the given font, or a smaller one in which the text fits
    QString shown; // the text as drawn: whole, or shortened with an ellipsis, with line breaks of its own
    bool whole = true;
};

// The largest font, no larger than the given one and no smaller than kMinimumTextPixels, in which
// the text drawn with the flags (alignment, word wrap) fits the area. When even the smallest does
// not hold it, the text is shortened with an ellipsis at its end (a wrapped text on its last line).
FittedText fitText(const QFont &font, const QString &text, const QSize &area, int flags);

// Keeps the fit of one control's text, and recomputes it only when the text, the font or the area
// changed. While the text is shortened, its whole is the control's tooltip (unless the control has
// a tooltip of its own); its accessible name is never touched, so it stays the whole text or the
// name it was given.
class TextFitter {
public:
    const FittedText &fit(QWidget *control, const QString &text, const QSize &area, int flags);
    // The same in a font of the caller's rather than the control's own.
    const FittedText &fit(QWidget *control, const QFont &font, const QString &text, const QSize &area, int flags);
    // The font database changed under an equal font: measure again.
    void forget()
    {
        m_valid = false;
        m_earlier.clear();
    }

private:
    // The fits of the texts shown before in the same font, area and flags: a read-out comes back to
    // the same few dozen numbers, each measured once. Kept small.
    static constexpr qsizetype kEarlierFits = 64;
    QHash<QString, FittedText> m_earlier;
    QString m_text;
    QFont m_font;
    QSize m_area;
    int m_flags = 0;
    bool m_valid = false;
    bool m_ownToolTip = false;
    FittedText m_fit;
};

// A label whose caption is drawn smaller, and at last shortened, rather than cut at its edges.
class FitLabel : public QLabel {
    Q_OBJECT
public:
    explicit FitLabel(const QString &text, QWidget *parent = nullptr);

    // A caption written by name, as another window or a restore writes it, is told: where the
    // label shows a value that lives elsewhere, the value follows. showText() is the owner's own
    // drawing of that value, and tells nothing.
    void setText(const QString &text);
    void showText(const QString &text) { QLabel::setText(text); }

    // How the caption is drawn now.
    const FittedText &fittedText();

Q_SIGNALS:
    void textWritten(const QString &text);

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    QRect textArea() const;
    int textFlags() const;
    TextFitter m_fitter;
};

// A frame whose caption is drawn smaller, and at last shortened, rather than cut.
class FitFrame : public QGroupBox {
    Q_OBJECT
public:
    explicit FitFrame(const QString &caption, QWidget *parent = nullptr);

    const FittedText &fittedText();

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    // The font the caption is fitted from: the frame's own unless a kind of frame draws it otherwise.
    virtual QFont captionFont() const { return font(); }

private:
    QSize captionArea() const;
    TextFitter m_fitter;
};

// How the caption of one of the program's fitted controls is drawn now; nothing for other widgets.
std::optional<FittedText> fittedTextOf(QWidget *control);

// A push button whose caption wraps onto more lines when it does not fit, as a caption like
// "Spiller A begynner" must in a narrow button, and is drawn smaller when even that is not enough. It takes the focus
// by mouse and keyboard, and Enter presses it while it has the focus, in every window.
class CommandButton : public QPushButton {
    Q_OBJECT
public:
    explicit CommandButton(const QString &text, QWidget *parent = nullptr);

    const FittedText &fittedText();

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    QRect captionArea() const;
    TextFitter m_fitter;
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
class AnnouncedLabel : public FitLabel {
    Q_OBJECT
public:
    explicit AnnouncedLabel(const QString &text, QWidget *parent = nullptr);

    QString announcePrefix() const { return m_prefix; }
    void setAnnouncePrefix(const QString &prefix);
    QString announcement() const { return m_prefix + text(); }

private:
    QString m_prefix;
};

// The controls of the windows, each made with the name the program knows it by.
FitFrame *makeFrame(QWidget *parent, const char *name, const QString &caption);
FitLabel *makeLabel(QWidget *parent, const char *name, const QString &text);
CommandButton *makeButton(QWidget *parent, const char *name, const QString &caption);
// A text box named for assistive technology by its role; it takes at most maxLength characters.
TextBox *makeTextBox(QWidget *parent, const char *name, const QString &text, const QString &accessibleRole,
                     int maxLength);

// Makes AnnouncedLabel known to the accessibility bridge; called once at program start.
void installAccessibility();

} // namespace toolkit
