#include "controls.h"

#include "textbox.h"
#include "zoom.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>

#include <cmath>

namespace platform {

CommandButton::CommandButton(const QString &text, QWidget *parent) : QPushButton(text, parent)
{
    setFocusPolicy(Qt::StrongFocus);
    // Enter presses the button that has the focus, and only that one: outside a dialog no
    // button is ever the default.
    setAutoDefault(true);
}

void CommandButton::paintEvent(QPaintEvent *)
{
    QStylePainter p(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    const QString caption = option.text;
    option.text.clear();
    p.drawControl(QStyle::CE_PushButton, option);
    const QRect area = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this).adjusted(1, 0, -1, 0);
    const int flags = Qt::AlignCenter | Qt::TextWordWrap;
    p.setFont(fittedFont(font(), caption, area.size(), flags));
    style()->drawItemText(&p, area, flags, palette(), isEnabled(), caption, QPalette::ButtonText);
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

AnnouncedLabel::AnnouncedLabel(const QString &text, QWidget *parent) : QLabel(text, parent) {}

void AnnouncedLabel::setAnnouncePrefix(const QString &prefix)
{
    m_prefix = prefix;
}

void AnnouncedLabel::paintEvent(QPaintEvent *event)
{
    const QRect area = contentsRect();
    const QFont fitted = fittedFont(font(), text(), area.size(), int(alignment()));
    if (fitted == font()) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter p(this);
    p.setFont(fitted);
    style()->drawItemText(&p, area, int(alignment()), palette(), isEnabled(), text(), foregroundRole());
}

QFont fittedFont(const QFont &font, const QString &text, const QSize &area, int flags)
{
    QFont fitted = font;
    const bool pixels = font.pixelSize() > 0;
    qreal size = pixels ? font.pixelSize() : font.pointSizeF();
    const auto fits = [&] {
        const QRect needed = QFontMetrics(fitted).boundingRect(QRect(QPoint(0, 0), area), flags, text);
        return needed.width() <= area.width() && needed.height() <= area.height();
    };
    // Below about 6 pixels nothing is readable anyway.
    while (!fits() && size > 6) {
        size -= 1;
        if (pixels)
            fitted.setPixelSize(int(size));
        else
            fitted.setPointSizeF(size);
    }
    return fitted;
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
    if (className == QLatin1String("platform::AnnouncedLabel") && object && object->isWidgetType())
        return new AccessibleAnnouncedLabel(static_cast<AnnouncedLabel *>(object));
    return nullptr;
}

} // namespace

QGroupBox *makeFrame(QWidget *parent, const char *name, const QString &caption)
{
    auto *frame = new QGroupBox(caption, parent);
    frame->setObjectName(QLatin1String(name));
    return frame;
}

QLabel *makeLabel(QWidget *parent, const char *name, const QString &text)
{
    auto *label = new QLabel(text, parent);
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

} // namespace platform
