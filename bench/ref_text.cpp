// A second reference for the clock's start and memory: the bare program plus what any Qt Widgets
// program that shows Norwegian text pays for it (fontconfig reading /etc/fonts, the font files, text
// layout): a main window with a menu bar holding one menu, a label and a status bar message. Linked
// only with Qt Widgets, no application attribute set. The gap between it and ref_bare is the price
// of text itself; what the clock costs beyond it is the clock's own.

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QStatusBar>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.menuBar()->addMenu(QStringLiteral("Spill"));
    window.setCentralWidget(new QLabel(QStringLiteral("Tid per spiller:")));
    window.statusBar()->showMessage(QStringLiteral("Klar"));
    window.resize(671, 344);
    window.show();
    return QApplication::exec();
}
