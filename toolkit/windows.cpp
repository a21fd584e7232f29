#include "windows.h"

#include "twips.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QScreen>

#include <algorithm>

namespace toolkit {

QFont layoutFont()
{
    // The windows were laid out for a condensed sans: the first of these faces installed here is the
    // one used. It is named alone, not as the list: for a list Qt works out the fallback fonts (a
    // fontconfig sort of every font on the system) as soon as the font is first drawn, for a single
    // face only once a character is missing from it.
    static const QStringList faces = {QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("Liberation Sans Narrow"),
                                      QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                                      QStringLiteral("DejaVu Sans")};
    static const QString installed = [] {
        for (const QString &face : faces)
            if (QFontDatabase::hasFamily(face))
                return face;
        return QString();
    }();
    QFont font;
    if (installed.isEmpty())
        font.setFamilies(faces);
    else
        font.setFamily(installed);
    font.setPixelSize(11);
    return font;
}

void setUpWindow(QWidget *window, int left, int top, int width, int height)
{
    // The main window goes on while any other is open.
    window->setWindowModality(Qt::NonModal);
    window->setFont(layoutFont());
    window->setFixedSize(twips(width), twips(height));
    placeOnScreenTwips(window, left, top);
}

void setTabChain(const QList<QWidget *> &order)
{
    for (qsizetype i = 0; i + 1 < order.size(); ++i)
        QWidget::setTabOrder(order[i], order[i + 1]);
}

ReasonLabel::ReasonLabel(QWidget *window, int layoutWidth, int layoutHeight)
    : QLabel(window), m_layoutWidth(layoutWidth), m_layoutHeight(layoutHeight)
{
    setObjectName(QStringLiteral("melding"));
    setWordWrap(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse);
    setFocusPolicy(Qt::NoFocus);
    setHidden(true);
}

void ReasonLabel::showReason(const QString &reason)
{
    const int margin = twips(120);
    setText(reason);
    const int width = twips(m_layoutWidth) - 2 * margin;
    const int height = heightForWidth(width);
    setGeometry(margin, twips(m_layoutHeight), width, height);
    setHidden(false);
    QWidget *window = this->window();
    window->setFixedSize(twips(m_layoutWidth), twips(m_layoutHeight) + height + margin);
    keepOnScreen(window);
}

void placeOnScreenTwips(QWidget *window, int left, int top)
{
    // Positions on the screen count from the client area, which is what move() places for a
    // widget's geometry (the frame lies outside it).
    window->setGeometry(QRect(QPoint(twips(left), twips(top)), window->size()));
    keepOnScreen(window);
}

void keepOnScreen(QWidget *window)
{
    const QScreen *screen = QGuiApplication::screenAt(window->geometry().topLeft());
    if (!screen)
        screen = window->screen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    QRect g = window->geometry();
    g.moveLeft(std::max(area.left(), std::min(g.left(), area.right() + 1 - g.width())));
    g.moveTop(std::max(area.top(), std::min(g.top(), area.bottom() + 1 - g.height())));
    window->setGeometry(g);
}

} // namespace toolkit
