#include "ImageLists.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QtMath>

#include <functional>

namespace kdx {

namespace {

// Every picture is drawn on a 16-unit grid and scaled to its list's size.
using Drawing = std::function<void(QPainter&)>;

const QColor Outline(40, 40, 40);
const QColor Navy(0, 0, 128);
const QColor Red(214, 32, 32);
const QColor Green(30, 150, 40);
const QColor Yellow(250, 204, 20);
const QColor Blue(40, 90, 210);
const QColor Sky(120, 180, 240);
const QColor Wood(150, 95, 45);

QPixmap Render(int size, const Drawing& draw)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 16.0, size / 16.0);
    draw(p);
    return pixmap;
}

TImageList RenderAll(int size, const std::vector<Drawing>& drawings)
{
    std::vector<QPixmap> pixmaps;
    for (const Drawing& draw : drawings)
        pixmaps.push_back(Render(size, draw));
    return TImageList(QSize(size, size), std::move(pixmaps));
}

QPen Line(const QColor& color, double width = 1.0) { return QPen(color, width, Qt::SolidLine, Qt::RoundCap); }

void Page(QPainter& p)
{
    const QPolygonF page({{3, 1}, {10, 1}, {13, 4}, {13, 15}, {3, 15}});
    p.setPen(Line(Outline, 0.8));
    p.setBrush(Qt::white);
    p.drawPolygon(page);
    p.drawPolyline(QPolygonF({{10, 1}, {10, 4}, {13, 4}}));
}

void Cross(QPainter& p, const QRectF& box, double width)
{
    p.setPen(Line(Red, width));
    p.drawLine(box.topLeft(), box.bottomRight());
    p.drawLine(box.topRight(), box.bottomLeft());
}

void Tick(QPainter& p, const QColor& color, double width)
{
    p.setPen(QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF({{2.5, 8.5}, {6.5, 12.5}, {13.5, 3.5}}));
}

void Window(QPainter& p)
{
    p.setPen(Line(Outline, 0.8));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(1, 2, 14, 12));
    p.setBrush(Navy);
    p.drawRect(QRectF(1, 2, 14, 3));
}

void Monitor(QPainter& p, const QColor& screen)
{
    p.setPen(Line(Outline, 0.8));
    p.setBrush(QColor(200, 200, 200));
    p.drawRect(QRectF(1, 1.5, 14, 10.5));
    p.setBrush(screen);
    p.drawRect(QRectF(2.5, 3, 11, 7.5));
    p.setBrush(QColor(160, 160, 160));
    p.drawRect(QRectF(6, 12, 4, 1.5));
    p.drawRect(QRectF(4, 13.5, 8, 1.5));
}

void Bubble(QPainter& p, const QRectF& box)
{
    QPainterPath path;
    path.addRoundedRect(box, box.height() / 3, box.height() / 3);
    QPolygonF tail({{box.left() + box.width() * 0.25, box.bottom() - 0.5},
        {box.left() + box.width() * 0.15, box.bottom() + box.height() * 0.45},
        {box.left() + box.width() * 0.5, box.bottom() - 0.5}});
    path.addPolygon(tail);
    path = path.simplified();
    p.setPen(Line(Outline, 0.7));
    p.setBrush(Qt::white);
    p.drawPath(path);
}

void Landscape(QPainter& p, const QRectF& box)
{
    p.setPen(Qt::NoPen);
    p.setBrush(Sky);
    p.drawRect(box);
    p.setBrush(Yellow);
    p.drawEllipse(QPointF(box.right() - box.width() * 0.25, box.top() + box.height() * 0.3), box.width() * 0.12,
        box.width() * 0.12);
    p.setBrush(Green);
    p.drawPolygon(QPolygonF({box.bottomLeft(), {box.left() + box.width() * 0.35, box.top() + box.height() * 0.45},
        {box.left() + box.width() * 0.6, box.top() + box.height() * 0.75},
        {box.left() + box.width() * 0.8, box.top() + box.height() * 0.55}, box.bottomRight()}));
}

void Frame(QPainter& p, const QColor& frame)
{
    p.setPen(Line(Outline, 0.6));
    p.setBrush(frame);
    p.drawRect(QRectF(1, 2, 14, 12));
}

void FilmStrip(QPainter& p, const QRectF& box, bool upright)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(50, 50, 50));
    p.drawRect(box);
    p.setBrush(Qt::white);
    const double along = upright ? box.height() : box.width();
    const double hole = along / 7;
    for (double at = hole / 2; at + hole / 2 < along; at += hole * 1.5) {
        if (upright) {
            p.drawRect(QRectF(box.left() + 0.5, box.top() + at, 1, hole * 0.7));
            p.drawRect(QRectF(box.right() - 1.5, box.top() + at, 1, hole * 0.7));
        } else {
            p.drawRect(QRectF(box.left() + at, box.top() + 0.5, hole * 0.7, 1));
            p.drawRect(QRectF(box.left() + at, box.bottom() - 1.5, hole * 0.7, 1));
        }
    }
}

void Gear(QPainter& p, const QPointF& centre, double radius)
{
    QPainterPath gear;
    const int teeth = 8;
    QPolygonF outline;
    for (int i = 0; i < teeth * 4; ++i) {
        const double angle = (i - 0.5) * M_PI / (teeth * 2);
        const double r = (i % 4 < 2) ? radius : radius * 0.75;
        outline << centre + QPointF(r * qCos(angle), r * qSin(angle));
    }
    gear.addPolygon(outline);
    gear.closeSubpath();
    gear.addEllipse(centre, radius * 0.3, radius * 0.3);
    gear.setFillRule(Qt::OddEvenFill);
    p.setPen(Line(Outline, 0.5));
    p.setBrush(QColor(150, 150, 160));
    p.drawPath(gear);
}

void Disc(QPainter& p, const QPointF& centre, double radius)
{
    QConicalGradient colours(centre, 0);
    colours.setColorAt(0.0, Red);
    colours.setColorAt(0.33, Yellow);
    colours.setColorAt(0.66, Blue);
    colours.setColorAt(1.0, Red);
    p.setPen(Line(Outline, 0.5));
    p.setBrush(colours);
    p.drawEllipse(centre, radius, radius);
    p.setBrush(Qt::white);
    p.drawEllipse(centre, radius * 0.25, radius * 0.25);
}

void Text(QPainter& p, const QRectF& box, const QString& text, const QColor& color, double size)
{
    QFont font("Sans");
    font.setBold(true);
    font.setPixelSize(qMax(1, int(size)));
    p.setFont(font);
    p.setPen(color);
    p.drawText(box, Qt::AlignCenter, text);
}

// imgRandomList, in index order.
std::vector<Drawing> RandomDrawings()
{
    return {
        [](QPainter& p) { // 0 floppy disk
            p.setPen(Line(Outline, 0.6));
            p.setBrush(Navy);
            p.drawPolygon(QPolygonF({{1, 1}, {14, 1}, {15, 2}, {15, 15}, {1, 15}}));
            p.setBrush(Qt::white);
            p.drawRect(QRectF(3.5, 1, 9, 6));
            p.setBrush(QColor(190, 190, 190));
            p.drawRect(QRectF(4, 10, 8, 5));
        },
        [](QPainter& p) { // 1 green turning arrow
            p.setPen(Line(Green, 2));
            p.setBrush(Qt::NoBrush);
            p.drawArc(QRectF(3, 3, 10, 10), 30 * 16, 280 * 16);
            p.setPen(Qt::NoPen);
            p.setBrush(Green);
            p.drawPolygon(QPolygonF({{10.5, 1}, {15, 5.5}, {9, 7}}));
        },
        [](QPainter& p) { // 2 grey device with a green screen
            p.setPen(Line(Outline, 0.6));
            p.setBrush(QColor(170, 170, 170));
            p.drawRoundedRect(QRectF(2, 1, 12, 14), 1.5, 1.5);
            p.setBrush(QColor(60, 200, 80));
            p.drawRect(QRectF(4, 3, 8, 6));
            p.setBrush(QColor(110, 110, 110));
            p.drawEllipse(QPointF(8, 12), 1.3, 1.3);
        },
        [](QPainter& p) { // 3 panel with two option marks
            p.setPen(Line(Outline, 0.6));
            p.setBrush(QColor(225, 225, 225));
            p.drawRect(QRectF(1, 2, 14, 12));
            p.setBrush(Qt::white);
            p.drawEllipse(QPointF(4.5, 5.5), 1.8, 1.8);
            p.drawEllipse(QPointF(4.5, 10.5), 1.8, 1.8);
            p.setBrush(Outline);
            p.drawEllipse(QPointF(4.5, 5.5), 0.8, 0.8);
            p.drawLine(QPointF(8, 5.5), QPointF(13, 5.5));
            p.drawLine(QPointF(8, 10.5), QPointF(13, 10.5));
        },
        [](QPainter& p) { // 4 page with a red cross
            Page(p);
            Cross(p, QRectF(6, 7, 7, 7), 1.8);
        },
        [](QPainter& p) { // 5 window with a green plus
            Window(p);
            p.setPen(Line(Green, 2.2));
            p.drawLine(QPointF(10, 7.5), QPointF(10, 13.5));
            p.drawLine(QPointF(7, 10.5), QPointF(13, 10.5));
        },
        [](QPainter& p) { FilmStrip(p, QRectF(4.5, 0.5, 7, 15), true); }, // 6 upright film strip
        [](QPainter& p) { // 7 yellow lightning bolt
            p.setPen(Line(QColor(150, 110, 0), 0.6));
            p.setBrush(Yellow);
            p.drawPolygon(QPolygonF({{9, 0.5}, {3, 9}, {7.5, 9}, {5.5, 15.5}, {13, 6}, {8.5, 6}, {11, 0.5}}));
        },
        [](QPainter& p) { // 8 portrait in a wooden frame
            Frame(p, Wood);
            p.setBrush(QColor(235, 225, 200));
            p.drawRect(QRectF(3, 4, 10, 8));
            p.setBrush(QColor(240, 190, 150));
            p.drawEllipse(QPointF(8, 7), 1.8, 1.8);
            p.setBrush(Blue);
            p.drawChord(QRectF(4.5, 9, 7, 6), 0, 180 * 16);
        },
        [](QPainter& p) { Tick(p, Green, 2.6); }, // 9 green tick
        [](QPainter& p) { // 10 yellow warning triangle
            p.setPen(QPen(QColor(150, 110, 0), 0.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.setBrush(Yellow);
            p.drawPolygon(QPolygonF({{8, 1}, {15, 14.5}, {1, 14.5}}));
            p.setPen(Line(Outline, 1.6));
            p.drawLine(QPointF(8, 5.5), QPointF(8, 10));
            p.drawPoint(QPointF(8, 12.5));
        },
        [](QPainter& p) { Cross(p, QRectF(3, 3, 10, 10), 3.2); }, // 11 thick red cross
        [](QPainter& p) { // 12 red no-entry sign
            p.setPen(Line(QColor(120, 0, 0), 0.6));
            p.setBrush(Red);
            p.drawEllipse(QPointF(8, 8), 7, 7);
            p.setPen(Qt::NoPen);
            p.setBrush(Qt::white);
            p.drawRect(QRectF(3.5, 6.8, 9, 2.4));
        },
        [](QPainter& p) { Cross(p, QRectF(3, 3, 10, 10), 1.2); }, // 13 thin red cross
        [](QPainter& p) { // 14 framed landscape picture
            Frame(p, QColor(230, 230, 230));
            Landscape(p, QRectF(2.5, 3.5, 11, 9));
        },
        [](QPainter& p) { // 15 film frame
            FilmStrip(p, QRectF(0.5, 2, 15, 12), false);
            Landscape(p, QRectF(3, 4.5, 10, 7));
        },
        [](QPainter& p) { // 16 page with a coloured disc
            Page(p);
            Disc(p, QPointF(8, 10), 3.8);
        },
        [](QPainter& p) { // 17 paint bucket
            p.setPen(Line(Outline, 0.6));
            p.setBrush(QColor(200, 200, 210));
            p.drawPolygon(QPolygonF({{3, 5}, {11, 5}, {10, 15}, {4, 15}}));
            p.setBrush(Qt::NoBrush);
            p.drawArc(QRectF(3, 1, 8, 8), 0, 180 * 16);
            p.setPen(Qt::NoPen);
            p.setBrush(Red);
            p.drawEllipse(QRectF(3, 4, 8, 2.5));
            p.drawEllipse(QPointF(13, 9), 1.2, 2);
        },
        [](QPainter& p) { // 18 monitor with a speech bubble
            Monitor(p, Sky);
            Bubble(p, QRectF(4, 3.8, 8, 4));
        },
        [](QPainter& p) { // 19 speech bubble with a question mark
            Bubble(p, QRectF(1, 1, 14, 10));
            Text(p, QRectF(1, 1, 14, 10), "?", Blue, 9);
        },
        [](QPainter& p) { // 20 globe
            p.setPen(Line(Navy, 0.6));
            p.setBrush(Sky);
            p.drawEllipse(QPointF(8, 8), 7, 7);
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(QPointF(8, 8), 3, 7);
            p.drawLine(QPointF(1, 8), QPointF(15, 8));
            p.drawLine(QPointF(8, 1), QPointF(8, 15));
            p.drawLine(QPointF(2.2, 4.5), QPointF(13.8, 4.5));
            p.drawLine(QPointF(2.2, 11.5), QPointF(13.8, 11.5));
        },
        [](QPainter& p) { // 21 sleep sign
            Text(p, QRectF(0, 4, 10, 12), "Z", Navy, 10);
            Text(p, QRectF(7, 0, 9, 9), "z", Blue, 7);
        },
        [](QPainter& p) { // 22 envelope
            p.setPen(Line(Outline, 0.7));
            p.setBrush(QColor(250, 245, 225));
            p.drawRect(QRectF(1, 3.5, 14, 9.5));
            p.drawPolyline(QPolygonF({{1, 3.5}, {8, 9}, {15, 3.5}}));
        },
        [](QPainter& p) { // 23 window with a gear
            Window(p);
            Gear(p, QPointF(10, 10), 3.6);
        },
    };
}

std::vector<Drawing> SearchDrawings()
{
    return {
        [](QPainter& p) { // 0 red stop button
            p.setPen(Line(QColor(120, 0, 0), 0.6));
            p.setBrush(Red);
            p.drawEllipse(QPointF(8, 8), 7, 7);
            p.setPen(Qt::NoPen);
            p.setBrush(Qt::white);
            p.drawRect(QRectF(5, 5, 6, 6));
        },
        [](QPainter& p) { // 1 magnifier over a page
            Page(p);
            p.setPen(Line(Outline, 1.0));
            p.setBrush(QColor(200, 230, 255));
            p.drawEllipse(QPointF(7, 8), 3, 3);
            p.setPen(Line(Outline, 2.0));
            p.drawLine(QPointF(9.2, 10.2), QPointF(12.5, 13.5));
        },
        [](QPainter& p) { // 2 blue arrow pointing left
            p.setPen(Line(Navy, 0.6));
            p.setBrush(Blue);
            p.drawPolygon(QPolygonF({{1, 8}, {8, 2}, {8, 5.5}, {15, 5.5}, {15, 10.5}, {8, 10.5}, {8, 14}}));
        },
        [](QPainter& p) { // 3 folder with a red tick
            p.setPen(Line(QColor(140, 110, 20), 0.6));
            p.setBrush(QColor(240, 200, 80));
            p.drawPolygon(QPolygonF({{1, 3}, {6, 3}, {7, 4.5}, {15, 4.5}, {15, 14}, {1, 14}}));
            Tick(p, Red, 2.0);
        },
    };
}

std::vector<Drawing> OutlookDrawings()
{
    return {
        [](QPainter& p) { // 0 monitor with a speech bubble
            Monitor(p, Sky);
            Bubble(p, QRectF(4, 3.8, 8, 4));
        },
        [](QPainter& p) { // 1 framed landscape picture
            Frame(p, Wood);
            Landscape(p, QRectF(2.5, 3.5, 11, 9));
        },
        [](QPainter& p) { // 2 monitor showing a film strip
            Monitor(p, QColor(20, 20, 20));
            FilmStrip(p, QRectF(3, 4, 10, 5.5), false);
        },
        [](QPainter& p) { Gear(p, QPointF(8, 8), 7); }, // 3 gear
        [](QPainter& p) { // 4 page with a Flash disc
            Page(p);
            Disc(p, QPointF(8, 10), 3.8);
            Text(p, QRectF(4, 6, 8, 8), "f", Qt::white, 5);
        },
    };
}

// A kaleidoscope star: the product's mark.
void Mark(QPainter& p, const QPointF& centre, double radius)
{
    const QColor colours[] = {Red, Yellow, Green, Blue, QColor(160, 60, 200), QColor(240, 130, 20)};
    for (int i = 0; i < 6; ++i) {
        p.save();
        p.translate(centre);
        p.rotate(i * 60);
        p.setPen(Line(Outline, radius / 30));
        p.setBrush(colours[i]);
        p.drawPolygon(
            QPolygonF({{0, 0}, {radius * 0.35, -radius * 0.6}, {0, -radius}, {-radius * 0.35, -radius * 0.6}}));
        p.restore();
    }
}

} // namespace

TImageList MakeRandomImages() { return RenderAll(16, RandomDrawings()); }
TImageList MakeSearchImages() { return RenderAll(16, SearchDrawings()); }
TImageList MakeOutlookImages() { return RenderAll(32, OutlookDrawings()); }

QIcon ProgramIcon()
{
    QIcon icon;
    for (int size : {16, 32, 48, 64})
        icon.addPixmap(Render(size, [](QPainter& p) { Mark(p, QPointF(8, 8), 7.5); }));
    return icon;
}

QPixmap LogoPicture()
{
    QPixmap pixmap(49, 41);
    pixmap.fill(Qt::white);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    Mark(p, QPointF(24.5, 20.5), 18);
    return pixmap;
}

QPixmap ProductPicture(QSize size)
{
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient back(0, 0, 0, size.height());
    back.setColorAt(0, QColor(20, 30, 90));
    back.setColorAt(1, QColor(70, 110, 200));
    p.setPen(Qt::NoPen);
    p.setBrush(back);
    p.drawRoundedRect(QRectF(QPointF(0, 0), size).adjusted(1, 1, -1, -1), 8, 8);
    const double radius = qMin(size.width(), size.height()) * 0.32;
    Mark(p, QPointF(size.width() / 2.0, size.height() * 0.42), radius);
    QFont font("Sans");
    font.setBold(true);
    font.setPixelSize(qMax(8, size.height() / 7));
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(0, size.height() * 0.76, size.width(), size.height() * 0.22), Qt::AlignCenter, "KDX");
    return pixmap;
}

} // namespace kdx
