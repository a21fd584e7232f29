#include "windowparts_p.h"

#include "clock/frmhoved.h"
#include "platform/twips.h"
#include "platform/windows.h"

#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>

namespace gamefiles::detail {

using platform::twips;

QString startDirectory()
{
    const QString home = QDir::homePath();
    return QFileInfo(home).isDir() ? home : QDir::rootPath();
}

QGroupBox *makeFrame(QWidget *parent, const char *name, const QString &caption)
{
    auto *frame = new QGroupBox(caption, parent);
    frame->setObjectName(QLatin1String(name));
    return frame;
}

platform::CommandButton *makeButton(QWidget *parent, const char *name, const QString &caption)
{
    auto *button = new platform::CommandButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setFocusPolicy(Qt::StrongFocus);
    // Enter presses the button that has the focus, and only that one.
    button->setAutoDefault(true);
    return button;
}

QLabel *makeReasonLabel(QWidget *window)
{
    auto *melding = new QLabel(window);
    melding->setObjectName(QStringLiteral("melding"));
    melding->setWordWrap(true);
    melding->setTextInteractionFlags(Qt::TextSelectableByMouse);
    melding->setFocusPolicy(Qt::NoFocus);
    melding->setHidden(true);
    return melding;
}

void setUpWindow(QWidget *window, gameclock::frmhoved &main, int width, int height)
{
    // The same small face as the main window, for which the layout was drawn.
    window->setFont(main.centralWidget() ? main.centralWidget()->font() : main.font());
    window->setFixedSize(twips(width), twips(height));
}

void showDirectory(QLabel *filbane, const QString &dir)
{
    const QString shown = QDir::toNativeSeparators(dir);
    filbane->setText(shown);
    filbane->setToolTip(shown);
    const bool fits = filbane->fontMetrics().horizontalAdvance(shown) <= filbane->contentsRect().width();
    filbane->setAlignment(Qt::AlignVCenter | (fits ? Qt::AlignLeft : Qt::AlignRight));
}

void showReason(QWidget *window, QLabel *melding, int width, int height, const QString &reason)
{
    const int margin = twips(120);
    melding->setText(reason);
    const int textWidth = twips(width) - 2 * margin;
    const int textHeight = melding->heightForWidth(textWidth);
    melding->setGeometry(margin, twips(height), textWidth, textHeight);
    melding->setHidden(false);
    window->setFixedSize(twips(width), twips(height) + textHeight + margin);
    platform::keepOnScreen(window);
}

} // namespace gamefiles::detail
