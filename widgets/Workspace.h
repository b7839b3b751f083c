// SPDX-License-Identifier: MIT
#pragma once
// What the main window needs of a workspace besides its widget: the actions it adds to the menus
// (shown and active only while the workspace is), its document's undo stack, the name and state
// the window title shows, its part of the status bar, and the question before its unsaved work
// would be thrown away.

#include <QList>
#include <QPair>
#include <QString>

#include <functional>

class QAction;
class QMenu;
class QUndoStack;
class QWidget;

namespace velkora {

// The question before unsaved work is thrown away, for any document: true when IsModified says
// there is none, when the user answers Discard, or answers Save and Save leaves none (its errors
// are reported, and then the work stays); false on Cancel.
bool MayDiscardChanges(QWidget* Parent, const QString& Title,
                       const std::function<bool()>& IsModified, const std::function<void()>& Save);

class TWorkspace {
public:
    virtual ~TWorkspace() = default;

    // Actions for the File, Edit and View menus, in menu order.
    QList<QAction*> FileActions;
    QList<QAction*> EditActions;
    QList<QAction*> ViewActions;
    // Menus of its own, placed before the Help menu.
    QList<QMenu*> Menus;
    // Every action of Menus.
    QList<QAction*> MenuActions() const;
    // What the mouse and the keys do beyond the actions, for the list of keyboard shortcuts:
    // {what the user does, what it does}.
    QList<QPair<QString, QString>> Gestures;

    // The undo stack of what the workspace edits; null while it edits nothing.
    virtual QUndoStack* UndoStack() = 0;
    // The name of what the workspace edits (a file name), for the window title; empty for none.
    virtual QString DocumentTitle() const = 0;
    virtual bool IsModified() const = 0;
    // The workspace's part of the status bar; the main window places it.
    virtual QWidget* StatusWidget() = 0;
    // Before unsaved changes would be thrown away: asks Save, Discard or Cancel. True when the
    // changes may go (there were none, they were discarded, or saved); false for Cancel or a
    // save that failed or did not happen (reported), after which everything is as it was.
    bool MayDiscard();

protected:
    // What MayDiscard needs: the save of the workspace's document as its Save does it (which may
    // ask questions of its own), and the window the question belongs to.
    virtual void SaveDocument() = 0;
    virtual QWidget* QuestionParent() = 0;
};

} // namespace velkora
