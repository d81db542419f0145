// Draws the command pictures on a 16-unit grid, scaled to each size the icon offers.
#include "DrawnIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace dfm {

namespace {

const QColor Outline(60, 60, 60);
const QColor Paper(255, 255, 255);
const QColor Folder(230, 180, 60);
const QColor Disk(50, 90, 170);
const QColor Steel(120, 120, 130);
const QColor Arrow(40, 130, 60);
const QColor Wood(160, 110, 60);
const QColor Glass(200, 230, 250);

void sheet(QPainter& painter, const QRectF& area)
{
    painter.setPen(QPen(Outline, 1));
    painter.setBrush(Paper);
    painter.drawRect(area);
    painter.setPen(QPen(QColor(150, 150, 150), 1));
    for (qreal y = area.top() + 3; y < area.bottom() - 1; y += 2)
        painter.drawLine(QPointF(area.left() + 2, y), QPointF(area.right() - 2, y));
}

void magnifier(QPainter& painter, QPointF centre, qreal radius)
{
    painter.setPen(QPen(Outline, 1.5));
    painter.setBrush(Glass);
    painter.drawEllipse(centre, radius, radius);
    painter.setPen(QPen(Outline, 2.5, Qt::SolidLine, Qt::RoundCap));
    const qreal reach = radius * 0.7;
    painter.drawLine(centre + QPointF(reach, reach), centre + QPointF(radius * 1.9, radius * 1.9));
}

// A filled arrow head at tip, pointing along direction, a unit vector.
void arrowHead(QPainter& painter, QPointF tip, QPointF direction, const QColor& colour)
{
    const QPointF side(-direction.y(), direction.x());
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawPolygon(QPolygonF{tip, tip - direction * 4 + side * 3, tip - direction * 4 - side * 3});
}

void floppy(QPainter& painter)
{
    painter.setPen(QPen(Outline, 1));
    painter.setBrush(Disk);
    painter.drawRect(QRectF(1.5, 1.5, 13, 13));
    painter.setBrush(Paper);
    painter.drawRect(QRectF(3.5, 1.5, 9, 5));
    painter.setBrush(Steel);
    painter.drawRect(QRectF(4.5, 9.5, 7, 5));
}

void draw(QPainter& painter, DrawnPicture picture)
{
    switch (picture) {
    case DrawnPicture::Open:
        painter.setPen(QPen(Outline, 1));
        painter.setBrush(Folder.darker(115));
        painter.drawPolygon(QPolygonF{{1.5, 3.5}, {6.5, 3.5}, {7.5, 5}, {13.5, 5}, {13.5, 13.5}, {1.5, 13.5}});
        painter.setBrush(Folder);
        painter.drawPolygon(QPolygonF{{1.5, 13.5}, {4, 7.5}, {15.5, 7.5}, {13.5, 13.5}});
        break;
    case DrawnPicture::Save:
        floppy(painter);
        break;
    case DrawnPicture::SaveAs:
        floppy(painter);
        painter.setPen(QPen(Outline, 1));
        painter.setBrush(QColor(240, 200, 60));
        painter.drawPolygon(QPolygonF{{9, 15}, {9.5, 12}, {14.5, 7}, {16, 8.5}, {11, 13.5}});
        break;
    case DrawnPicture::Exit:
        painter.setPen(QPen(Outline, 1));
        painter.setBrush(Wood);
        painter.drawRect(QRectF(1.5, 1.5, 8, 13));
        painter.setPen(QPen(Arrow, 2, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(6, 8), QPointF(12, 8));
        arrowHead(painter, {15.5, 8}, {1, 0}, Arrow);
        break;
    case DrawnPicture::Redo:
        // Undo's picture, mirrored.
        painter.translate(16, 0);
        painter.scale(-1, 1);
        draw(painter, DrawnPicture::Undo);
        break;
    case DrawnPicture::Undo: {
        QPainterPath curve(QPointF(5, 6));
        curve.cubicTo(QPointF(11, 6), QPointF(14, 8), QPointF(13, 13));
        painter.setPen(QPen(Disk, 2, Qt::SolidLine, Qt::RoundCap));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(curve);
        arrowHead(painter, {1, 6}, {-1, 0}, Disk);
        break;
    }
    case DrawnPicture::Cut:
        painter.setPen(QPen(Steel.darker(130), 1.5, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(4, 1), QPointF(10.5, 11));
        painter.drawLine(QPointF(12, 1), QPointF(5.5, 11));
        painter.setPen(QPen(QColor(190, 40, 40), 1.5));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(QPointF(4.5, 12.5), 2.5, 2.5);
        painter.drawEllipse(QPointF(11.5, 12.5), 2.5, 2.5);
        break;
    case DrawnPicture::Copy:
        sheet(painter, QRectF(1.5, 1.5, 8, 10));
        sheet(painter, QRectF(6.5, 4.5, 8, 10));
        break;
    case DrawnPicture::Paste:
        painter.setPen(QPen(Outline, 1));
        painter.setBrush(Wood);
        painter.drawRect(QRectF(1.5, 2.5, 10, 12));
        painter.setBrush(Steel);
        painter.drawRect(QRectF(4.5, 1.5, 4, 2.5));
        sheet(painter, QRectF(6.5, 6.5, 8, 8));
        break;
    case DrawnPicture::Find:
        magnifier(painter, {6, 6}, 4.5);
        break;
    case DrawnPicture::Replace:
        magnifier(painter, {5, 5}, 3.5);
        painter.setPen(QPen(Arrow, 1.5, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(9, 10), QPointF(13, 10));
        arrowHead(painter, {15.5, 10}, {1, 0}, Arrow);
        painter.setPen(QPen(Arrow, 1.5, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(13, 14), QPointF(9, 14));
        arrowHead(painter, {6.5, 14}, {-1, 0}, Arrow);
        break;
    }
}

}  // namespace

QIcon drawnIcon(DrawnPicture picture)
{
    QIcon icon;
    for (const int size : {16, 32}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(size / 16.0, size / 16.0);
        draw(painter, picture);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

}  // namespace dfm
