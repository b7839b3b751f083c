// SPDX-License-Identifier: MIT
#pragma once
// Ways about a large map besides the wheel and the right-button pan: scroll bars along the map
// view, the keys (arrows by a cell, Page Up and Page Down by a screen, with Shift sideways),
// View > Go to cell... and View > Overview. The navigator never moves the map grid itself: it
// asks its owner to (MoveGrid), who keeps the grid within its limits and calls Sync after every
// move, zoom or resize.

#include "maps/MapOverview.h"

#include <QObject>
#include <QPoint>
#include <QRect>

#include <functional>
#include <optional>

class QAction;
class QKeyEvent;
class QScrollBar;

namespace velkora {

class TDrawGrid;
class TMapDocument;
class TMapOverviewWindow;

class TMapNavigator : public QObject {
    Q_OBJECT
public:
    // Scroll bars on Workspace for the map grid Grid, which shows Document's map drawn with
    // Pictures; Home is where the grid starts (workspace coordinates).
    TMapNavigator(QWidget* Workspace, TDrawGrid* Grid, const TMapDocument& Document,
                  const TMapCellPictures& Pictures, QPoint Home);
    ~TMapNavigator() override;

    QScrollBar* HorizontalBar = nullptr;
    QScrollBar* VerticalBar = nullptr;
    // View: Go to cell... (Ctrl+J) and Overview (checked while the overview is shown).
    QAction* GoToAction = nullptr;
    QAction* OverviewAction = nullptr;
    // The question of Go to cell...: the cell chosen, nothing for Cancel. Tests put their own
    // answer here.
    std::function<std::optional<QPoint>(QPoint Start, QSize Map)> GoToCellDialog;

    // Lays the scroll bars along the right and bottom edges of Area and returns the part of it
    // left to the map.
    QRect Layout(const QRect& Area);
    // The map view: what Layout left to the map.
    const QRect& View() const { return fView; }
    // The scroll bars and the overview's frame after the grid moved, zoomed or the map changed.
    void Sync();
    // The pictures changed (a texture or a palette): the overview is redrawn.
    void PicturesChanged();

    // The arrows move the view a cell, Page Up and Page Down a screen of whole cells (with Shift
    // sideways). False for any other key.
    bool PanKey(QKeyEvent* Event);
    // The grid position that puts map point Cell (in cells) at the view's centre.
    QPoint CentredOn(QPointF Cell) const;
    // Asks for a cell and centres the view on it.
    void GoToCell();
    void ShowOverview(bool Show);
    TMapOverviewWindow* OverviewWindow() const { return fOverviewWindow; }
    const TMapOverview& Overview() const { return fOverview; }

signals:
    // The user moved the view: the grid is to go to Pos (as near as its limits allow).
    void MoveGrid(QPoint Pos);

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    // The pitch of the cells and the width of the grid's border.
    int Pitch() const;
    int Border() const;
    void SyncBar(QScrollBar* Bar, int Pos, int Home, int Count, int ViewFirst, int ViewSize);
    void BarMoved();
    void RebuildOverview();
    void SyncOverview();

    QWidget* fWorkspace;
    TDrawGrid* fGrid;
    const TMapDocument& fDocument;
    const TMapCellPictures& fPictures;
    QPoint fHome;
    QRect fView;
    QWidget* fCorner = nullptr;
    bool fSyncing = false;
    TMapOverview fOverview;
    TMapOverviewWindow* fOverviewWindow = nullptr;
    // The overview's picture no longer shows the map (it changed while the overview was hidden).
    bool fOverviewStale = true;
};

} // namespace velkora
