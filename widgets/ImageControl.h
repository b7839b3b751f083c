// SPDX-License-Identifier: MIT
#pragma once
// The owner-drawn picture control the selector popup's items and the palette-set frame's palette
// selectors are made of.

#include <QColor>
#include <QFont>
#include <QImage>
#include <QWidget>

namespace velkora {

// An image control: a child control with an off-screen bitmap of its own size, drawn onto the
// control, and a small canvas (brush, pen, font height) to draw on that bitmap. Mouse moves are
// reported without a button pressed; wheel events pass on to the parent.
class TImageControl : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int Tag READ Tag WRITE SetTag)
public:
    explicit TImageControl(QWidget* Parent = nullptr);

    int Tag() const { return fTag; }
    void SetTag(int Value) { fTag = Value; }

    // The off-screen bitmap; it always has the control's size (a resize keeps what fits and
    // fills the rest white).
    const QImage& Bitmap() const { return Canvas(); }

    // Canvas state used by the drawing operations below.
    QColor BrushColor = Qt::white;
    QColor PenColor = Qt::black;
    int PenWidth = 1;
    int FontHeight = 15; // cell height of the text in pixels

    // Fills (x1, y1)-(x2, y2), right and bottom exclusive, with the brush and outlines it with
    // the pen; everything outside the bitmap is clipped.
    void Rectangle(int x1, int y1, int x2, int y2);
    // A line from (x1, y1) to (x2, y2), end point excluded, in the pen's colour and width.
    void Line(int x1, int y1, int x2, int y2);
    // Text with its top-left corner at (x, y), black on a box of the brush colour.
    void TextOut(int x, int y, const QString& Text);
    // Copies Picture with its top-left corner at (x, y), blending by its alpha.
    void Draw(int x, int y, const QImage& Picture);
    // Fills a rectangle of the bitmap with the brush colour.
    void FillRect(const QRect& Area);

    // The font TextOut uses: the control's font at a pixel size whose line fits FontHeight.
    QFont CanvasFont() const;

signals:
    // A left click: press and release on the control.
    void Click(TImageControl* Sender);
    void MouseMove(TImageControl* Sender);
    void MouseEnter(TImageControl* Sender);
    void MouseLeave(TImageControl* Sender);

protected:
    void paintEvent(QPaintEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void enterEvent(QEnterEvent* Event) override;
    void leaveEvent(QEvent* Event) override;

private:
    QImage& Canvas() const;

    mutable QImage fBitmap;
    int fTag = 0;
    bool fPressed = false;
};

} // namespace velkora
