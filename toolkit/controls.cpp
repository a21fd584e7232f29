#include "controls.h"

#include "textbox.h"
#include "zoom.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPainter>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>
#include <QStylePainter>
#include <QTextLayout>

#include <cmath>

namespace toolkit {

CommandButton::CommandButton(const QString &text, QWidget *parent) : QPushButton(text, parent)
{
    setFocusPolicy(Qt::StrongFocus);
    // Enter presses the button that has the focus, and only that one: outside a dialog no
    // button is ever the default.
    setAutoDefault(true);
}

namespace {

constexpr int kButtonFlags = Qt::AlignCenter | Qt::TextWordWrap;

// A shortened text carries its own line breaks.
int drawFlags(const FittedText &fit, int flags)
{
    return fit.whole ? flags : flags & ~int(Qt::TextWordWrap);
}

// What every fitted control does with its events: a new font or style makes the fit stale, and a
// tooltip about to show needs the fit (it holds the whole caption when the caption is shortened).
template <class Control> void followFit(Control *control, TextFitter &fitter, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::ApplicationFontChange || type == QEvent::FontChange || type == QEvent::StyleChange)
        fitter.forget();
    else if (type == QEvent::ToolTip)
        control->fittedText();
}

} // namespace

QRect CommandButton::captionArea() const
{
    QStyleOptionButton option;
    initStyleOption(&option);
    return style()->subElementRect(QStyle::SE_PushButtonContents, &option, this).adjusted(1, 0, -1, 0);
}

const FittedText &CommandButton::fittedText()
{
    return m_fitter.fit(this, text(), captionArea().size(), kButtonFlags);
}

bool CommandButton::event(QEvent *event)
{
    followFit(this, m_fitter, event);
    return QPushButton::event(event);
}

void CommandButton::paintEvent(QPaintEvent *)
{
    QStylePainter p(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.clear();
    p.drawControl(QStyle::CE_PushButton, option);
    const QRect area = captionArea();
    const FittedText &fit = fittedText();
    p.setFont(fit.font);
    style()->drawItemText(&p, area, drawFlags(fit, kButtonFlags), palette(), isEnabled(), fit.shown,
                          QPalette::ButtonText);
}

Shape::Shape(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
}

void Shape::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal zoom = zoomOf(this);
    const qreal pen = std::max<qreal>(1.0, std::round(zoom));
    p.setPen(QPen(palette().color(QPalette::WindowText), pen));
    p.setBrush(Qt::NoBrush);
    // Small corners: controls placed close to a shape's edge must not cut its curve.
    const qreal radius = qMin<qreal>(10.0 * zoom, qMin(width(), height()) / 4.0);
    p.drawRoundedRect(QRectF(rect()).adjusted(pen / 2, pen / 2, -pen / 2, -pen / 2), radius, radius);
}

FitLabel::FitLabel(const QString &text, QWidget *parent) : QLabel(text, parent) {}

QRect FitLabel::textArea() const
{
    // A control laid over the label's right part (a text box beside its caption) hides what lies
    // under it.
    QRect area = contentsRect();
    const QWidget *parent = parentWidget();
    if (!parent || isWindow())
        return area;
    const QRect mine = geometry();
    const QObjectList &siblings = parent->children();
    for (qsizetype i = siblings.indexOf(const_cast<FitLabel *>(this)) + 1; i < siblings.size(); ++i) {
        const auto *other = qobject_cast<const QWidget *>(siblings.at(i));
        if (!other || other->isWindow() || other->isHidden())
            continue;
        const QRect over = other->geometry();
        if (over.left() > mine.left() && over.intersects(mine))
            area.setRight(qMin(area.right(), over.left() - mine.left() - 1));
    }
    return area;
}

void FitLabel::setText(const QString &text)
{
    QLabel::setText(text);
    Q_EMIT textWritten(text);
}

int FitLabel::textFlags() const
{
    return int(alignment()) | (wordWrap() ? int(Qt::TextWordWrap) : 0);
}

const FittedText &FitLabel::fittedText()
{
    return m_fitter.fit(this, text(), textArea().size(), textFlags());
}

bool FitLabel::event(QEvent *event)
{
    followFit(this, m_fitter, event);
    return QLabel::event(event);
}

void FitLabel::paintEvent(QPaintEvent *event)
{
    if (!pixmap().isNull() || textFormat() == Qt::RichText) {
        QLabel::paintEvent(event);
        return;
    }
    const FittedText &fit = fittedText();
    if (fit.whole && fit.font == font() && textArea() == contentsRect()) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter p(this);
    drawFrame(&p);
    p.setFont(fit.font);
    style()->drawItemText(&p, textArea(), drawFlags(fit, textFlags()), palette(), isEnabled(), fit.shown,
                          foregroundRole());
}

FitFrame::FitFrame(const QString &caption, QWidget *parent) : QGroupBox(caption, parent) {}

QSize FitFrame::captionArea() const
{
    // The style indents the caption from the frame's left edge; the same room is kept on the right.
    QStyleOptionGroupBox option;
    initStyleOption(&option);
    option.fontMetrics = QFontMetrics(captionFont());
    option.text = QStringLiteral("x");
    const QRect label = style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, this);
    const int indent = qMax(0, label.left());
    return QSize(width() - 2 * indent - 2, height());
}

const FittedText &FitFrame::fittedText()
{
    // An empty caption needs no room: measuring it would load the caption's font for nothing (a
    // flag strip's bold face stays unloaded until a flag falls).
    const QString caption = title();
    return m_fitter.fit(this, captionFont(), caption, caption.isEmpty() ? QSize() : captionArea(),
                        int(Qt::AlignLeft | Qt::AlignTop));
}

bool FitFrame::event(QEvent *event)
{
    followFit(this, m_fitter, event);
    return QGroupBox::event(event);
}

void FitFrame::paintEvent(QPaintEvent *event)
{
    const FittedText &fit = fittedText();
    // The group box draws a frame without caption, or a whole caption in its own font, itself.
    if (fit.shown.isEmpty() || (fit.whole && fit.font == font())) {
        QGroupBox::paintEvent(event);
        return;
    }
    QStylePainter p(this);
    QStyleOptionGroupBox option;
    initStyleOption(&option);
    option.text = fit.shown;
    option.fontMetrics = QFontMetrics(fit.font);
    p.setFont(fit.font);
    p.drawComplexControl(QStyle::CC_GroupBox, option);
}

AnnouncedLabel::AnnouncedLabel(const QString &text, QWidget *parent) : FitLabel(text, parent) {}

void AnnouncedLabel::setAnnouncePrefix(const QString &prefix)
{
    m_prefix = prefix;
}

const FittedText &TextFitter::fit(QWidget *control, const QString &text, const QSize &area, int flags)
{
    return fit(control, control->font(), text, area, flags);
}

const FittedText &TextFitter::fit(QWidget *control, const QFont &font, const QString &text, const QSize &area,
                                  int flags)
{
    const bool sameMeasure = m_valid && m_area == area && m_flags == flags && m_font == font;
    if (sameMeasure && m_text == text)
        return m_fit;
    if (!sameMeasure || m_earlier.size() >= kEarlierFits) {
        m_earlier.clear();
    } else {
        // Only a caption that changes keeps its earlier fits: the many that never do keep none.
        m_earlier.insert(m_text, m_fit);
    }
    m_text = text;
    m_area = area;
    m_flags = flags;
    m_font = font;
    m_valid = true;
    const auto earlier = m_earlier.constFind(text);
    m_fit = earlier != m_earlier.constEnd() ? *earlier : fitText(font, text, area, flags);
    if (!m_fit.whole && (m_ownToolTip || control->toolTip().isEmpty())) {
        control->setToolTip(text);
        m_ownToolTip = true;
    } else if (m_fit.whole && m_ownToolTip) {
        control->setToolTip(QString());
        m_ownToolTip = false;
    }
    return m_fit;
}

namespace {

bool fitsIn(const QFont &font, const QString &text, const QSize &area, int flags)
{
    const QRect needed = QFontMetrics(font).boundingRect(QRect(QPoint(0, 0), area), flags, text);
    return needed.width() <= area.width() && needed.height() <= area.height();
}

// The text cut to the area with an ellipsis: on one line, or wrapped (anywhere if a word is
// longer than a line) with as many lines as the height holds, the last one shortened.
QString shortened(const QFont &font, const QString &text, const QSize &area, int flags)
{
    const QFontMetrics metrics(font);
    const int width = qMax(1, area.width());
    if (!(flags & Qt::TextWordWrap))
        return metrics.elidedText(QString(text).replace(u'\n', u' '), Qt::ElideRight, width);
    const int lines = qMax(1, area.height() / qMax(1, metrics.height()));
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList shown;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        if (shown.size() == lines - 1) {
            shown << metrics.elidedText(text.mid(line.textStart()).simplified(), Qt::ElideRight, width);
            break;
        }
        shown << text.mid(line.textStart(), line.textLength()).trimmed();
    }
    layout.endLayout();
    return shown.join(u'\n');
}

} // namespace

FittedText fitText(const QFont &font, const QString &text, const QSize &area, int flags)
{
    if (text.isEmpty() || fitsIn(font, text, area, flags))
        return {font, text, true};
    QFont fitted = font;
    const int start = QFontInfo(font).pixelSize();
    for (int size = start - 1; size >= kMinimumTextPixels; --size) {
        fitted.setPixelSize(size);
        if (fitsIn(fitted, text, area, flags))
            return {fitted, text, true};
    }
    fitted.setPixelSize(qMin(start, kMinimumTextPixels));
    return {fitted, shortened(fitted, text, area, flags), false};
}

std::optional<FittedText> fittedTextOf(QWidget *control)
{
    if (auto *label = qobject_cast<FitLabel *>(control))
        return label->fittedText();
    if (auto *frame = qobject_cast<FitFrame *>(control))
        return frame->fittedText();
    if (auto *button = qobject_cast<CommandButton *>(control))
        return button->fittedText();
    return std::nullopt;
}

namespace {

// QLabel's own accessible name hides the caption once a name is set; this one joins them.
class AccessibleAnnouncedLabel : public QAccessibleWidget {
public:
    explicit AccessibleAnnouncedLabel(AnnouncedLabel *label) : QAccessibleWidget(label, QAccessible::StaticText) {}

    QString text(QAccessible::Text t) const override
    {
        auto *label = static_cast<AnnouncedLabel *>(widget());
        if (t == QAccessible::Name)
            return label->announcement();
        if (t == QAccessible::Value)
            return label->text();
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface *announcedLabelFactory(const QString &className, QObject *object)
{
    if (className == QLatin1String("toolkit::AnnouncedLabel") && object && object->isWidgetType())
        return new AccessibleAnnouncedLabel(static_cast<AnnouncedLabel *>(object));
    return nullptr;
}

} // namespace

FitFrame *makeFrame(QWidget *parent, const char *name, const QString &caption)
{
    auto *frame = new FitFrame(caption, parent);
    frame->setObjectName(QLatin1String(name));
    return frame;
}

FitLabel *makeLabel(QWidget *parent, const char *name, const QString &text)
{
    auto *label = new FitLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    return label;
}

CommandButton *makeButton(QWidget *parent, const char *name, const QString &caption)
{
    auto *button = new CommandButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    return button;
}

TextBox *makeTextBox(QWidget *parent, const char *name, const QString &text, const QString &accessibleRole,
                     int maxLength)
{
    auto *box = new TextBox(text, parent);
    box->setObjectName(QLatin1String(name));
    box->setAccessibleName(accessibleRole);
    box->setMaxLength(maxLength);
    return box;
}

void installAccessibility()
{
    static bool installed = false;
    if (!installed) {
        QAccessible::installFactory(announcedLabelFactory);
        installed = true;
    }
}

} // namespace toolkit
