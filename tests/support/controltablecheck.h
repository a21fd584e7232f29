#pragma once

// Reading a window's controls back against the table they were drawn from.

#include "toolkit/controltable.h"
#include "toolkit/twips.h"

#include <QAbstractButton>
#include <QDebug>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <algorithm>
#include <vector>

// The class the program and the accessibility tree know each kind of control by.
inline QString expectedClass(toolkit::ControlKind kind)
{
    using K = toolkit::ControlKind;
    switch (kind) {
    case K::Shape:
        return QStringLiteral("toolkit::Shape");
    case K::PlayerFrame:
        return QStringLiteral("toolkit::PlayerFrame");
    case K::Frame:
        return QStringLiteral("toolkit::FitFrame");
    case K::Label:
        return QStringLiteral("toolkit::FitLabel");
    case K::AnnouncedLabel:
        return QStringLiteral("toolkit::AnnouncedLabel");
    case K::CommandButton:
        return QStringLiteral("toolkit::CommandButton");
    case K::TextBox:
        return QStringLiteral("toolkit::TextBox");
    case K::LineEdit:
        return QStringLiteral("QLineEdit");
    case K::PictureBox:
        return QStringLiteral("toolkit::PictureBox");
    case K::FlagStrip:
        return QStringLiteral("toolkit::FlagStrip");
    case K::DirList:
        return QStringLiteral("toolkit::DirList");
    case K::FileList:
        return QStringLiteral("toolkit::FileList");
    }
    return QString();
}

// What a control shows as its caption: a label's or box's text, a button's, a frame's title.
inline QString captionOf(const QWidget *control)
{
    if (auto *label = qobject_cast<const QLabel *>(control))
        return label->text();
    if (auto *button = qobject_cast<const QAbstractButton *>(control))
        return button->text();
    if (auto *frame = qobject_cast<const QGroupBox *>(control))
        return frame->title();
    if (auto *box = qobject_cast<const QLineEdit *>(control))
        return box->text();
    return QString();
}

// Whether the window keeps a kind's caption as drawn. Boxes and read-outs hold values the window
// loads, and an empty caption is one the window writes in itself.
inline bool captionIsFixed(const toolkit::ControlRow &row)
{
    using K = toolkit::ControlKind;
    const bool fixedKind = row.kind == K::Frame || row.kind == K::Label || row.kind == K::CommandButton;
    return fixedKind && row.caption && *row.caption;
}

// How the controls in container depart from the table, or nothing where every one stands as the
// table draws it: found once by its name, of its class, in its parent, in front of the rows before
// it there, at its place in twips, shown, hidden or disabled as drawn, captioned as drawn, and
// chained by its tab index, in a circle.
inline QString departureFromTable(const QWidget *container, toolkit::ControlTable table)
{
    if (table.empty())
        return QStringLiteral("the table is empty");
    std::vector<std::pair<int, const QWidget *>> tabbed;
    for (const toolkit::ControlRow &row : table) {
        const QString name = QString::fromUtf8(row.name);
        const QList<QWidget *> found = container->findChildren<QWidget *>(name);
        if (found.size() != 1)
            return QStringLiteral("%1: found %2 times").arg(name).arg(found.size());
        const QWidget *c = found.first();
        const auto differs = [&](const char *what, const auto &is, const auto &drawn) {
            QString text;
            QDebug(&text) << name << what << "is" << is << "but was drawn" << drawn;
            return text;
        };
        if (QString::fromLatin1(c->metaObject()->className()) != expectedClass(row.kind))
            return differs("class", c->metaObject()->className(), expectedClass(row.kind));
        const QWidget *parent = c->parentWidget();
        if (row.parent ? parent->objectName() != QString::fromUtf8(row.parent) : parent != container)
            return differs("parent", parent->objectName(), row.parent ? row.parent : "the window");
        const QRect twips(row.left, row.top, row.width, row.height);
        if (c->property(toolkit::kTwipsProperty).toRect() != twips)
            return differs("place in twips", c->property(toolkit::kTwipsProperty).toRect(), twips);
        if (c->geometry() != toolkit::twipsRect(row.left, row.top, row.width, row.height))
            return differs("geometry", c->geometry(), toolkit::twipsRect(row.left, row.top, row.width, row.height));
        if (c->isHidden() != (row.state == toolkit::ControlState::Hidden))
            return differs("hidden", c->isHidden(), !c->isHidden());
        if (c->isEnabled() != (row.state != toolkit::ControlState::Disabled))
            return differs("enabled", c->isEnabled(), !c->isEnabled());
        if (captionIsFixed(row) && captionOf(c) != QString::fromUtf8(row.caption))
            return differs("caption", captionOf(c), QString::fromUtf8(row.caption));
        if (row.tabIndex != toolkit::kNoTab)
            tabbed.emplace_back(row.tabIndex, c);
    }
    // Later rows lie on top of earlier ones with the same parent.
    for (std::size_t i = 1; i < table.size(); ++i) {
        const QWidget *later = container->findChild<QWidget *>(QString::fromUtf8(table[i].name));
        const QObjectList &siblings = later->parentWidget()->children();
        for (std::size_t j = 0; j < i; ++j) {
            const QWidget *earlier = container->findChild<QWidget *>(QString::fromUtf8(table[j].name));
            if (earlier->parentWidget() == later->parentWidget() && siblings.indexOf(earlier) > siblings.indexOf(later))
                return QStringLiteral("%1 lies behind %2").arg(later->objectName(), earlier->objectName());
        }
    }
    // Tab passes over whatever takes no part in the chain: the window itself, labels, the inner
    // parts of a list.
    std::stable_sort(tabbed.begin(), tabbed.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    const auto isTabbed = [&](const QWidget *w) {
        return std::any_of(tabbed.begin(), tabbed.end(), [w](const auto &entry) { return entry.second == w; });
    };
    for (std::size_t i = 0; i + 1 < tabbed.size(); ++i) {
        const QWidget *reached = tabbed[i].second->nextInFocusChain();
        while (reached != tabbed[i].second && !isTabbed(reached))
            reached = reached->nextInFocusChain();
        if (reached != tabbed[i + 1].second)
            return QStringLiteral("Tab from %1 reaches %2, not %3")
                .arg(tabbed[i].second->objectName(), reached->objectName(), tabbed[i + 1].second->objectName());
    }
    return QString();
}

inline void checkBuiltAsTable(const QWidget *container, toolkit::ControlTable table)
{
    const QString departure = departureFromTable(container, table);
    QVERIFY2(departure.isEmpty(), qPrintable(departure));
}
