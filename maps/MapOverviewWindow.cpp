// SPDX-License-Identifier: MIT
#include "maps/MapOverviewWindow.h"

#include <QCloseEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace velkora {

namespace {
// The picture is shown at least this large on its longer side (small maps are enlarged, pixel
// for pixel).
constexpr int ShownSide = 256;
} // namespace

TMapOverviewWindow::TMapOverviewWindow(QWidget* Parent) : QWidget(Parent, Qt::Tool) {
    setWindowTitle(QStringLiteral("Overview"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::CrossCursor);
    setMinimumSize(64, 64);
}

void TMapOverviewWindow::SetPicture(const QImage& Picture, int Block) {
    const bool NewSize = Picture.size() != fPicture.size();
    fPicture = Picture;
    fBlock = std::max(1, Block);
    if (NewSize && !fPicture.isNull()) {
        const int Long = std::max(fPicture.width(), fPicture.height());
        const int Scale = std::max(1, ShownSide / Long);
        resize(fPicture.size() * Scale);
    }
    update();
}

void TMapOverviewWindow::SetVisibleCells(const QRectF& Cells) {
    if (Cells == fVisible)
        return;
    fVisible = Cells;
    update();
}

QRectF TMapOverviewWindow::PictureRect() const {
    if (fPicture.isNull())
        return QRectF();
    const qreal Scale =
        std::min(qreal(width()) / fPicture.width(), qreal(height()) / fPicture.height());
    const QSizeF Size = QSizeF(fPicture.size()) * Scale;
    return QRectF(QPointF((width() - Size.width()) / 2, (height() - Size.height()) / 2), Size);
}

QPointF TMapOverviewWindow::CellAt(QPointF Point) const {
    const QRectF r = PictureRect();
    if (r.isEmpty())
        return QPointF();
    const qreal CellsPerPixel = qreal(fBlock) * fPicture.width() / r.width();
    return (Point - r.topLeft()) * CellsPerPixel;
}

void TMapOverviewWindow::paintEvent(QPaintEvent* Event) {
    Q_UNUSED(Event);
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Window));
    if (fPicture.isNull())
        return;
    const QRectF r = PictureRect();
    p.drawImage(r, fPicture); // nearest pixels: cells stay sharp
    if (fVisible.isEmpty())
        return;
    // The view's part, clipped to the picture, framed in white over black so it shows on any map.
    const qreal PixelsPerCell = r.width() / (qreal(fBlock) * fPicture.width());
    QRectF Frame(r.topLeft() + fVisible.topLeft() * PixelsPerCell, fVisible.size() * PixelsPerCell);
    Frame = Frame.intersected(r).adjusted(0.5, 0.5, -0.5, -0.5);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Qt::black, 3));
    p.drawRect(Frame);
    p.setPen(QPen(Qt::white, 1));
    p.drawRect(Frame);
}

void TMapOverviewWindow::mousePressEvent(QMouseEvent* Event) {
    if (Event->button() == Qt::LeftButton)
        emit CentreOn(CellAt(Event->position()));
}

void TMapOverviewWindow::mouseMoveEvent(QMouseEvent* Event) {
    if (Event->buttons() & Qt::LeftButton)
        emit CentreOn(CellAt(Event->position()));
}

void TMapOverviewWindow::closeEvent(QCloseEvent* Event) {
    QWidget::closeEvent(Event);
    emit Closed();
}

} // namespace velkora
