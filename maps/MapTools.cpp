// SPDX-License-Identifier: MIT
#include "maps/MapTools.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace velkora {

QString ToolText(TMapTool Tool) {
    switch (Tool) {
    case TMapTool::Brush:
        return QStringLiteral("&Brush");
    case TMapTool::Rectangle:
        return QStringLiteral("&Rectangle");
    case TMapTool::Fill:
        return QStringLiteral("&Flood fill");
    case TMapTool::Pick:
        return QStringLiteral("&Pick item");
    case TMapTool::Select:
        return QStringLiteral("&Select");
    }
    return QString();
}

QKeySequence ToolKey(TMapTool Tool) {
    switch (Tool) {
    case TMapTool::Brush:
        return QKeySequence(Qt::Key_B);
    case TMapTool::Rectangle:
        return QKeySequence(Qt::Key_R);
    case TMapTool::Fill:
        return QKeySequence(Qt::Key_G);
    case TMapTool::Pick:
        return QKeySequence(Qt::Key_I);
    case TMapTool::Select:
        return QKeySequence(Qt::Key_S);
    }
    return QKeySequence();
}

namespace {

// The glyph of a tool in a 20 x 20 square.
void DrawTool(QPainter& p, TMapTool Tool, const QColor& Color) {
    p.setRenderHint(QPainter::Antialiasing);
    QColor Light = Color;
    Light.setAlpha(90);
    p.setPen(QPen(Color, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    switch (Tool) {
    case TMapTool::Brush: {
        // A pencil from the lower left to the upper right.
        QPainterPath Body;
        Body.moveTo(3, 17);
        Body.lineTo(4.5, 12.5);
        Body.lineTo(13.5, 3.5);
        Body.lineTo(16.5, 6.5);
        Body.lineTo(7.5, 15.5);
        Body.closeSubpath();
        p.setBrush(Light);
        p.drawPath(Body);
        p.drawLine(QPointF(4.5, 12.5), QPointF(7.5, 15.5));
        break;
    }
    case TMapTool::Rectangle:
        p.setBrush(Light);
        p.drawRect(QRectF(3.5, 5.5, 13, 10));
        break;
    case TMapTool::Fill: {
        // A tipped bucket pouring a drop.
        QPainterPath Bucket;
        Bucket.moveTo(3, 9);
        Bucket.lineTo(9, 3);
        Bucket.lineTo(15, 9);
        Bucket.lineTo(9, 15);
        Bucket.closeSubpath();
        p.setBrush(Light);
        p.drawPath(Bucket);
        p.setBrush(Color);
        p.drawEllipse(QRectF(14.5, 12, 3.5, 4.5));
        break;
    }
    case TMapTool::Pick:
        // A dropper: a bulb at the upper right, a thin tube down to the lower left.
        p.drawLine(QPointF(3.5, 16.5), QPointF(11.5, 8.5));
        p.setBrush(Color);
        p.drawEllipse(QRectF(11, 3, 6, 6));
        p.drawLine(QPointF(9.5, 6.5), QPointF(13.5, 10.5));
        break;
    case TMapTool::Select:
        // A dashed rectangle.
        p.setPen(QPen(Color, 1.5, Qt::DashLine, Qt::FlatCap, Qt::MiterJoin));
        p.drawRect(QRectF(3.5, 4.5, 13, 11));
        break;
    }
}

} // namespace

QIcon ToolIcon(TMapTool Tool, const QColor& Color) {
    QIcon Icon;
    for (const int Scale : {1, 2}) {
        QPixmap Pixmap(20 * Scale, 20 * Scale);
        Pixmap.setDevicePixelRatio(Scale);
        Pixmap.fill(Qt::transparent);
        QPainter p(&Pixmap);
        DrawTool(p, Tool, Color);
        p.end();
        Icon.addPixmap(Pixmap);
    }
    return Icon;
}

} // namespace velkora
