#pragma once

#include <QHash>
#include <QString>
#include <QWidget>

#include <span>
#include <string_view>

namespace toolkit {

// The classes a window's controls are made of.
enum class ControlKind {
    Shape,          // toolkit::Shape
    PlayerFrame,    // toolkit::PlayerFrame
    Frame,          // QGroupBox
    Label,          // QLabel
    AnnouncedLabel, // toolkit::AnnouncedLabel
    CommandButton,  // toolkit::CommandButton
    TextBox,        // toolkit::TextBox
    LineEdit,       // QLineEdit
    PictureBox,     // toolkit::PictureBox
    FlagStrip,      // toolkit::FlagStrip
    DirList,        // toolkit::DirList
    FileList,       // toolkit::FileList
};

// How a control stands before the program first touches it.
enum class ControlState { Shown, Hidden, Disabled };

inline constexpr int kNoTab = -1;

// One control of a window, as the window was drawn: its place in twips within its parent, which is
// the window's own area (parent nullptr) or a control of an earlier row. Rows are made in their
// order, so that the later ones lie on top of the earlier. Controls with a tab index are chained
// by it, lowest first.
struct ControlRow {
    const char *name;
    ControlKind kind;
    const char *caption; // UTF-8
    int left, top, width, height;
    const char *parent = nullptr;
    int tabIndex = kNoTab;
    ControlState state = ControlState::Shown;
};

using ControlTable = std::span<const ControlRow>;

// What makes a table unbuildable; windows check their own at compile time.
enum class TableFault {
    None,
    MissingName,      // a row without a name
    DuplicateName,    // two rows of the same name: one of them could never be found
    UnknownParent,    // a parent that is no earlier row
    DuplicateTabIndex // two controls would claim the same place in the tab chain
};

constexpr TableFault tableFault(ControlTable table)
{
    for (std::size_t i = 0; i < table.size(); ++i) {
        const ControlRow &row = table[i];
        if (row.name == nullptr || std::string_view(row.name).empty())
            return TableFault::MissingName;
        bool parentFound = row.parent == nullptr;
        for (std::size_t j = 0; j < i; ++j) {
            const ControlRow &earlier = table[j];
            if (std::string_view(earlier.name) == row.name)
                return TableFault::DuplicateName;
            if (row.parent && std::string_view(earlier.name) == row.parent)
                parentFound = true;
            if (row.tabIndex != kNoTab && earlier.tabIndex == row.tabIndex)
                return TableFault::DuplicateTabIndex;
        }
        if (!parentFound)
            return TableFault::UnknownParent;
    }
    return TableFault::None;
}

// The controls one table made, found by name.
class BuiltControls {
public:
    TableFault fault() const { return m_fault; }
    qsizetype size() const { return m_widgets.size(); }
    QWidget *widget(const QString &name) const { return m_widgets.value(name); }

    // The control of that name as the class the window knows it by. Asking for a name the table
    // lacks, or for another class, is a slip in the window's own code: it stops the program at once
    // rather than leave a null control to fail later.
    template <typename T> T *get(const char *name) const
    {
        T *control = qobject_cast<T *>(widget(QString::fromUtf8(name)));
        if (!control)
            missing(name, T::staticMetaObject.className());
        return control;
    }

private:
    friend BuiltControls buildControls(QWidget *, ControlTable);
    [[noreturn]] static void missing(const char *name, const char *className);

    TableFault m_fault = TableFault::None;
    QHash<QString, QWidget *> m_widgets;
};

// Makes every control of the table inside container, named, captioned, placed in twips, hidden or
// disabled as the row says, and chains the focus through those with a tab index. A faulty table
// makes nothing and says why in fault().
BuiltControls buildControls(QWidget *container, ControlTable table);

} // namespace toolkit
