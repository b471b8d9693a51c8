#include "ui/Icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <cmath>

#include "core/CommandTable.h"

namespace tilvex::ui {

namespace {

// All images are drawn on a 16 x 16 grid and rendered at 16 and 32 pixels.
using DrawFn = void (*)(QPainter&);

const QColor kInk(40, 40, 40);
const QColor kPaper(255, 255, 250);
const QColor kBlue(40, 90, 190);
const QColor kYellow(235, 200, 70);

void Page(QPainter& p, QRectF r)
{
    QPainterPath path;
    path.moveTo(r.left(), r.top());
    path.lineTo(r.right() - 3, r.top());
    path.lineTo(r.right(), r.top() + 3);
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.left(), r.bottom());
    path.closeSubpath();
    p.setPen(QPen(kInk, 1));
    p.setBrush(kPaper);
    p.drawPath(path);
    p.drawLine(QPointF(r.right() - 3, r.top()), QPointF(r.right() - 3, r.top() + 3));
    p.drawLine(QPointF(r.right() - 3, r.top() + 3), QPointF(r.right(), r.top() + 3));
}

void DrawNew(QPainter& p) { Page(p, QRectF(3.5, 1.5, 9, 13)); }

void DrawOpen(QPainter& p)
{
    p.setPen(QPen(kInk, 1));
    p.setBrush(kYellow);
    QPolygonF back{{1.5, 3.5}, {5.5, 3.5}, {6.5, 5.5}, {12.5, 5.5}, {12.5, 13.5}, {1.5, 13.5}};
    p.drawPolygon(back);
    p.setBrush(kYellow.darker(115));
    QPolygonF front{{1.5, 13.5}, {4.5, 7.5}, {15.5, 7.5}, {12.5, 13.5}};
    p.drawPolygon(front);
}

void DrawSave(QPainter& p)
{
    p.setPen(QPen(kInk, 1));
    p.setBrush(kBlue);
    p.drawRect(QRectF(1.5, 1.5, 13, 13));
    p.setBrush(kPaper);
    p.drawRect(QRectF(4.5, 1.5, 7, 5));
    p.setBrush(QColor(200, 200, 200));
    p.drawRect(QRectF(3.5, 9.5, 9, 5));
}

void DrawCut(QPainter& p)
{
    p.setPen(QPen(kInk, 1.2));
    p.setBrush(Qt::NoBrush);
    p.drawLine(QPointF(5, 1), QPointF(10, 10));
    p.drawLine(QPointF(11, 1), QPointF(6, 10));
    p.drawEllipse(QPointF(4.5, 12.5), 2.5, 2.5);
    p.drawEllipse(QPointF(11.5, 12.5), 2.5, 2.5);
}

void DrawCopy(QPainter& p)
{
    Page(p, QRectF(1.5, 1.5, 8, 10));
    Page(p, QRectF(6.5, 4.5, 8, 10));
}

void DrawPaste(QPainter& p)
{
    p.setPen(QPen(kInk, 1));
    p.setBrush(QColor(170, 120, 60));
    p.drawRect(QRectF(1.5, 2.5, 10, 12));
    p.setBrush(QColor(200, 200, 200));
    p.drawRect(QRectF(4.5, 1.5, 4, 2));
    Page(p, QRectF(7.5, 6.5, 7, 8));
}

void DrawPrint(QPainter& p)
{
    Page(p, QRectF(4.5, 1.5, 7, 6));
    p.setPen(QPen(kInk, 1));
    p.setBrush(QColor(190, 190, 190));
    p.drawRect(QRectF(1.5, 7.5, 13, 5));
    p.setBrush(kPaper);
    p.drawRect(QRectF(4.5, 10.5, 7, 4));
    p.setPen(QPen(QColor(40, 160, 40), 1));
    p.drawPoint(QPointF(12.5, 9));
}

void DrawAbout(QPainter& p)
{
    p.setPen(QPen(kInk, 1));
    p.setBrush(kBlue);
    p.drawEllipse(QPointF(8, 8), 6.5, 6.5);
    p.setPen(QPen(Qt::white, 1.8, Qt::SolidLine, Qt::RoundCap));
    QPainterPath q;
    q.moveTo(5.8, 6.2);
    q.cubicTo(5.8, 3.4, 10.4, 3.4, 10.4, 6.0);
    q.cubicTo(10.4, 7.8, 8, 7.8, 8, 9.6);
    p.setBrush(Qt::NoBrush);
    p.drawPath(q);
    p.drawPoint(QPointF(8, 12));
}

// Four-fold symmetric motif used by the quilt commands.
void Motif(QPainter& p, QRectF r, QColor a, QColor b)
{
    p.setPen(Qt::NoPen);
    p.setBrush(a);
    p.drawRect(r);
    p.setBrush(b);
    QPointF c = r.center();
    qreal hw = r.width() / 2, hh = r.height() / 2;
    QPolygonF diamond{{c.x(), c.y() - hh}, {c.x() + hw, c.y()}, {c.x(), c.y() + hh}, {c.x() - hw, c.y()}};
    p.drawPolygon(diamond);
    p.setBrush(a.lighter(150));
    p.drawEllipse(c, hw / 3, hh / 3);
}

void DrawMapping(QPainter& p)
{
    p.setPen(QPen(kInk, 1));
    p.setBrush(kPaper);
    p.drawRect(QRectF(1.5, 1.5, 13, 13));
    p.setPen(QPen(kBlue, 1));
    for (int i = 0; i < 3; ++i) {
        qreal x = 1.5 + 13.0 * (i + 1) / 4;
        p.drawLine(QPointF(x, 1.5), QPointF(x, 14.5));
        p.drawLine(QPointF(1.5, x), QPointF(14.5, x));
    }
    p.setPen(QPen(QColor(200, 40, 40), 1.5));
    p.drawLine(QPointF(3, 13), QPointF(13, 3));
}

void FileBadge(QPainter& p, const char* letters, QColor colour)
{
    Page(p, QRectF(1.5, 0.5, 12, 10));
    Motif(p, QRectF(3, 2, 6, 6), colour, kYellow);
    QFont f;
    f.setPixelSize(6);
    f.setBold(true);
    p.setFont(f);
    p.setPen(kInk);
    p.drawText(QRectF(0, 10, 16, 6), Qt::AlignCenter, QString::fromLatin1(letters));
}

void DrawPcx(QPainter& p) { FileBadge(p, "PCX", QColor(170, 60, 160)); }
void DrawBmp(QPainter& p) { FileBadge(p, "BMP", QColor(40, 140, 80)); }
void DrawPng(QPainter& p) { FileBadge(p, "PNG", QColor(210, 110, 30)); }

void DrawRebuild(QPainter& p)
{
    Motif(p, QRectF(1, 1, 14, 14), QColor(150, 40, 60), kYellow);
    p.setPen(QPen(kInk, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(0.5, 0.5, 15, 15));
}

void DrawStatus(QPainter& p)
{
    p.setPen(QPen(kInk, 1));
    p.setBrush(kPaper);
    p.drawRect(QRectF(0.5, 0.5, 15, 15));
    const qreal heights[] = {4, 7, 10, 13};
    p.setPen(Qt::NoPen);
    p.setBrush(kBlue);
    for (int i = 0; i < 4; ++i) p.drawRect(QRectF(2 + 3.2 * i, 15 - heights[i], 2.4, heights[i] - 0.5));
}

void DrawPeriod(QPainter& p)
{
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 2; ++c) Motif(p, QRectF(1 + 7 * c, 1 + 7 * r, 7, 7), QColor(40, 90, 190), kYellow);
    p.setPen(QPen(kInk, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(0.5, 0.5, 15, 15));
}

void DrawDensityPalette(QPainter& p)
{
    for (int i = 0; i < 7; ++i) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor::fromHsv((i * 50) % 360, 200, 230));
        p.drawRect(QRectF(1 + 2 * i, 15 - 2 * (i + 1), 2, 2 * (i + 1)));
    }
    p.setPen(QPen(kInk, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(0.5, 0.5, 15, 15));
}

void DrawCyclePalette(QPainter& p)
{
    for (int i = 0; i < 8; ++i) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor::fromHsv(i * 45, 210, 235));
        p.drawPie(QRectF(1, 1, 14, 14), i * 45 * 16, 45 * 16);
    }
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(8, 8), 3, 3);
    p.setPen(QPen(kInk, 1));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(1, 1, 14, 14));
}

DrawFn DrawerFor(int id)
{
    switch (id) {
    case cmd::FileNew: return DrawNew;
    case cmd::FileOpen: return DrawOpen;
    case cmd::FileSave: return DrawSave;
    case cmd::EditCut: return DrawCut;
    case cmd::EditCopy: return DrawCopy;
    case cmd::EditPaste: return DrawPaste;
    case cmd::FilePrint: return DrawPrint;
    case cmd::AppAbout: return DrawAbout;
    case cmd::SetMapping: return DrawMapping;
    case cmd::SaveImagePcx: return DrawPcx;
    case cmd::SaveImageBmp: return DrawBmp;
    case cmd::SaveImagePng: return DrawPng;
    case cmd::RebuildView: return DrawRebuild;
    case cmd::IterationStatus: return DrawStatus;
    case cmd::SetViewPeriod: return DrawPeriod;
    case cmd::RandomDensityPalette: return DrawDensityPalette;
    case cmd::CycleDensityPalette: return DrawCyclePalette;
    default: return nullptr;
    }
}

QIcon Render(DrawFn draw)
{
    QIcon icon;
    for (int size : {16, 24, 32}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 16.0, size / 16.0);
        draw(p);
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

}  // namespace

QIcon CommandIcon(int id)
{
    DrawFn draw = DrawerFor(id);
    return draw ? Render(draw) : QIcon();
}

QIcon ProgramIcon()
{
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/tilvex-%1.png").arg(size), QSize(size, size));
    return icon;
}

}  // namespace tilvex::ui
