// SPDX-License-Identifier: MIT
#pragma once
// View > Overview: a small window with the picture of the whole map and a frame around the part
// the map view shows; a click or a drag there moves the view.

#include <QImage>
#include <QRectF>
#include <QWidget>

namespace velkora {

class TMapOverviewWindow : public QWidget {
    Q_OBJECT
public:
    // A tool window that floats over Parent's window.
    explicit TMapOverviewWindow(QWidget* Parent);

    // The picture, Block cells a pixel; the window's size follows a new picture's.
    void SetPicture(const QImage& Picture, int Block);
    const QImage& Picture() const { return fPicture; }
    // The part of the map the view shows, in cells.
    void SetVisibleCells(const QRectF& Cells);
    const QRectF& VisibleCells() const { return fVisible; }
    // Where the picture lies in the window, scaled to fit it (aspect kept).
    QRectF PictureRect() const;
    // The map point (in cells) under a point of the window.
    QPointF CellAt(QPointF Point) const;

signals:
    // The user pointed at this map point (in cells): the view is to centre on it.
    void CentreOn(QPointF Cell);
    // The window was closed by the user.
    void Closed();

protected:
    void paintEvent(QPaintEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void closeEvent(QCloseEvent* Event) override;

private:
    QImage fPicture;
    int fBlock = 1;
    QRectF fVisible;
};

} // namespace velkora
