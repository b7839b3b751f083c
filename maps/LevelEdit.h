// SPDX-License-Identifier: MIT
#pragma once
// The map workspace's level building beyond painting: the selection's Edit actions (select all
// and none, copy, cut, paste, delete), the stamp's flips and Map > Resize map.... Copies go to
// the system clipboard and become the stamp; a paste floats under the pointer until a click
// puts it.

#include "maps/ResizeMapDialog.h"

#include <QList>
#include <QObject>

#include <functional>

class QAction;

namespace velkora {

class TMapDocument;
class TMapTextures;
class TMapToolBox;

class TLevelEdit : public QObject {
    Q_OBJECT
public:
    TLevelEdit(TMapDocument& Document, TMapToolBox& Tools, TMapTextures& Textures, QWidget* Window);

    QAction* CutAction = nullptr;
    QAction* CopyAction = nullptr;
    QAction* PasteAction = nullptr;
    QAction* DeleteAction = nullptr;
    QAction* SelectAllAction = nullptr;
    QAction* SelectNoneAction = nullptr;
    QAction* FlipXAction = nullptr;
    QAction* FlipYAction = nullptr;
    QAction* ResizeAction = nullptr;
    // The actions of the Edit menu, in menu order, and of the Map menu.
    QList<QAction*> EditActions() const;
    QList<QAction*> MapActions() const;

    // The question of Resize map...: true with the choice made, false for Cancel. Tests answer
    // it; by default it is the dialog.
    std::function<bool(TResizeChoice& Choice)> ResizeDialog;

    // The selected cells to the clipboard (and as the stamp); Cut then gives them the item chosen,
    // as Delete does.
    void Copy();
    void Cut();
    void Delete();
    // The clipboard's cells float under the pointer; nothing happens when it holds none.
    void Paste();
    void Resize();

signals:
    // The selection, the stamp or the paste changed: the view's outline and preview, the status.
    void Changed();

private:
    QAction* Make(const QString& Text, const QList<QKeySequence>& Keys,
                  std::function<void()> Handler);
    void Enable();

    TMapDocument& fDocument;
    TMapToolBox& fTools;
    TMapTextures& fTextures;
    QWidget* fWindow;
};

} // namespace velkora
