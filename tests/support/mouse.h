#pragma once

#include <QPoint>
#include <QTest>
#include <QWidget>

// A double-click as the system delivers it: press and release, then the double-click event in
// place of the second press, then its release. (QTest's own sends the double-click event alone.)
inline void doubleClickAt(QWidget *widget, QPoint at)
{
    QTest::mouseClick(widget, Qt::LeftButton, {}, at);
    QTest::mouseDClick(widget, Qt::LeftButton, {}, at);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, at);
}
