#include "controltable.h"

#include "controls.h"
#include "dirlist.h"
#include "filelist.h"
#include "gamemarks.h"
#include "picturebox.h"
#include "textbox.h"
#include "twips.h"
#include "windows.h"

#include <QLineEdit>

#include <algorithm>
#include <vector>

namespace toolkit {

namespace {

template <typename W> W *named(W *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QWidget *make(QWidget *parent, const ControlRow &row)
{
    const QString caption = QString::fromUtf8(row.caption ? row.caption : "");
    switch (row.kind) {
    case ControlKind::Shape:
        return named(new Shape(parent), row.name);
    case ControlKind::PlayerFrame:
        return named(new PlayerFrame(parent), row.name);
    case ControlKind::Frame:
        return makeFrame(parent, row.name, caption);
    case ControlKind::Label:
        return makeLabel(parent, row.name, caption);
    case ControlKind::AnnouncedLabel:
        return named(new AnnouncedLabel(caption, parent), row.name);
    case ControlKind::CommandButton:
        return makeButton(parent, row.name, caption);
    case ControlKind::TextBox:
        // Its accessible role and length are the window's to give; until then, a line edit's own.
        return makeTextBox(parent, row.name, caption, QString(), 32767);
    case ControlKind::LineEdit:
        return named(new QLineEdit(caption, parent), row.name);
    case ControlKind::PictureBox:
        return named(new PictureBox(parent), row.name);
    case ControlKind::FlagStrip:
        return named(new FlagStrip(parent), row.name);
    case ControlKind::DirList:
        return named(new DirList(parent), row.name);
    case ControlKind::FileList:
        return named(new FileList(parent), row.name);
    }
    Q_UNREACHABLE();
}

} // namespace

void BuiltControls::missing(const char *name, const char *className)
{
    qFatal("The window has no control %s of class %s", name, className);
}

BuiltControls buildControls(QWidget *container, ControlTable table)
{
    BuiltControls built;
    built.m_fault = tableFault(table);
    if (built.m_fault != TableFault::None)
        return built;

    std::vector<std::pair<int, QWidget *>> tabbed;
    for (const ControlRow &row : table) {
        QWidget *parent = row.parent ? built.m_widgets.value(QString::fromUtf8(row.parent)) : container;
        QWidget *control = make(parent, row);
        placeTwips(control, row.left, row.top, row.width, row.height);
        if (row.state == ControlState::Hidden)
            control->setHidden(true);
        else if (row.state == ControlState::Disabled)
            control->setEnabled(false);
        if (row.tabIndex != kNoTab)
            tabbed.emplace_back(row.tabIndex, control);
        built.m_widgets.insert(control->objectName(), control);
    }
    std::sort(tabbed.begin(), tabbed.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    QList<QWidget *> chain;
    for (const auto &entry : tabbed)
        chain << entry.second;
    setTabChain(chain);
    return built;
}

} // namespace toolkit
