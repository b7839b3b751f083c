// SPDX-License-Identifier: MIT
#pragma once
// The Help menu's windows: the keyboard shortcuts, the user guide and the About box. Each is a
// window of its own that stays open beside the editor (none is modal).

#include <QList>
#include <QPair>
#include <QString>

class QAction;
class QDialog;
class QMessageBox;
class QWidget;

namespace velkora::HelpWindows {

// One part of the shortcut list: a title and its rows {keys or mouse action, what it does}.
struct TShortcutGroup {
    QString Title;
    QList<QPair<QString, QString>> Rows;
};

// A row for each action of Actions that has a key: its keys in the platform's notation
// ("Ctrl+S, Ctrl+Shift+S") and its text without the mnemonic marks.
QList<QPair<QString, QString>> ActionRows(const QList<QAction*>& Actions);

// The window "Keyboard shortcuts" listing Groups, one table each.
QDialog* MakeShortcutsWindow(QWidget* Parent, const QList<TShortcutGroup>& Groups);

// The README's sections for users (all but the source layout and development), in Markdown,
// without pictures.
QString UserGuideMarkdown();
// The window "User guide" showing them.
QDialog* MakeUserGuideWindow(QWidget* Parent);

// The About box: the version, the licence, the project's address and the Qt version.
QString AboutText();
QMessageBox* MakeAboutBox(QWidget* Parent);

} // namespace velkora::HelpWindows
