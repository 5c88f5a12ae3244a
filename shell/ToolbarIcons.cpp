#include "shell/ToolbarIcons.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>

namespace {
// One palette for the whole set.
const QColor Ink(0x2f, 0x3b, 0x4c);
const QColor Paper(0xff, 0xff, 0xff);
const QColor PaperShade(0xdc, 0xe3, 0xec);
const QColor Folder(0xe8, 0xb4, 0x4a);
const QColor FolderDark(0xc7, 0x8f, 0x24);
const QColor Blue(0x3d, 0x6f, 0xb6);
const QColor Steel(0x9a, 0xa6, 0xb5);
const QColor Green(0x2e, 0x9b, 0x4f);
const QColor Red(0xd1, 0x3b, 0x2e);

const char *const Keys[] = {"new", "open", "save", "print", "cut", "copy", "paste", "undo",
                            "redo", "find", "help", "bold", "under", "italic", "strikethru",
                            "left", "center", "right", "bullet", "spellcheck", "fontColor"};

QPen inkPen(qreal width = 1.4)
{
    return QPen(Ink, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// A sheet with a folded top-right corner, in a 24-unit box.
void page(QPainter &p, const QRectF &r)
{
    const qreal fold = r.width() * 0.35;
    QPainterPath sheet;
    sheet.moveTo(r.left(), r.top());
    sheet.lineTo(r.right() - fold, r.top());
    sheet.lineTo(r.right(), r.top() + fold);
    sheet.lineTo(r.right(), r.bottom());
    sheet.lineTo(r.left(), r.bottom());
    sheet.closeSubpath();
    p.setPen(inkPen());
    p.setBrush(Paper);
    p.drawPath(sheet);
    QPainterPath corner;
    corner.moveTo(r.right() - fold, r.top());
    corner.lineTo(r.right() - fold, r.top() + fold);
    corner.lineTo(r.right(), r.top() + fold);
    p.setBrush(PaperShade);
    p.drawPath(corner);
}

void textLines(QPainter &p, qreal left, qreal top, qreal width, int count, qreal gap)
{
    p.setPen(QPen(Steel, 1.3, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < count; ++i)
        p.drawLine(QPointF(left, top + i * gap), QPointF(left + width, top + i * gap));
}

void letter(QPainter &p, const QString &text, bool bold, bool italic, const QRectF &box,
            qreal pixelSize, const QColor &color = Ink)
{
    QFont font(QStringLiteral("DejaVu Serif"));
    font.setPixelSize(int(pixelSize));
    font.setBold(bold);
    font.setItalic(italic);
    font.setStyleStrategy(QFont::PreferAntialias);
    p.setFont(font);
    p.setPen(color);
    p.drawText(box, Qt::AlignCenter, text);
}

void curvedArrow(QPainter &p, bool left)
{
    p.save();
    if (!left) {
        p.translate(24, 0);
        p.scale(-1, 1);
    }
    QPainterPath arc;
    arc.moveTo(7, 10);
    arc.cubicTo(11, 5, 20, 6, 20, 13);
    arc.cubicTo(20, 17, 17, 19, 13, 19);
    p.setPen(QPen(Blue, 2.4, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(arc);
    QPolygonF head;
    head << QPointF(3, 10) << QPointF(10, 5.5) << QPointF(10, 14.5);
    p.setPen(Qt::NoPen);
    p.setBrush(Blue);
    p.drawPolygon(head);
    p.restore();
}

void alignmentLines(QPainter &p, int mode)
{
    // mode 0 left, 1 centre, 2 right: long and short lines alternate.
    p.setPen(QPen(Ink, 2, Qt::SolidLine, Qt::FlatCap));
    for (int i = 0; i < 5; ++i) {
        const qreal y = 4.5 + i * 3.75;
        const qreal len = (i % 2 == 0) ? 18 : 11;
        qreal x = 3;
        if (mode == 1)
            x = 12 - len / 2;
        else if (mode == 2)
            x = 21 - len;
        p.drawLine(QPointF(x, y), QPointF(x + len, y));
    }
}
}

bool ToolbarIcons::knows(const QString &key)
{
    for (const char *k : Keys) {
        if (key == QLatin1String(k))
            return true;
    }
    return false;
}

QIcon ToolbarIcons::icon(const QString &key)
{
    if (!knows(key))
        return {};
    QIcon icon;
    for (int size : {16, 20, 24, 32, 40, 48})
        icon.addPixmap(draw(key, size));
    return icon;
}

QPixmap ToolbarIcons::draw(const QString &key, int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(size / 24.0, size / 24.0);

    if (key == QLatin1String("new")) {
        page(p, QRectF(5, 2.5, 14, 19));
        textLines(p, 7.5, 11, 9, 3, 3);
    } else if (key == QLatin1String("open")) {
        p.setPen(inkPen());
        p.setBrush(FolderDark);
        QPainterPath back;
        back.moveTo(2, 6);
        back.lineTo(9, 6);
        back.lineTo(11, 8);
        back.lineTo(20, 8);
        back.lineTo(20, 19);
        back.lineTo(2, 19);
        back.closeSubpath();
        p.drawPath(back);
        QPainterPath front;
        front.moveTo(2, 19);
        front.lineTo(5.5, 11);
        front.lineTo(23, 11);
        front.lineTo(20, 19);
        front.closeSubpath();
        p.setBrush(Folder);
        p.drawPath(front);
    } else if (key == QLatin1String("save")) {
        p.setPen(inkPen());
        p.setBrush(Blue);
        QPainterPath disk;
        disk.moveTo(3, 3);
        disk.lineTo(18, 3);
        disk.lineTo(21, 6);
        disk.lineTo(21, 21);
        disk.lineTo(3, 21);
        disk.closeSubpath();
        p.drawPath(disk);
        p.setBrush(Paper);
        p.drawRect(QRectF(6.5, 3, 10, 6.5));
        p.setBrush(Steel);
        p.drawRect(QRectF(13, 4.2, 2.2, 4));
        p.setBrush(Paper);
        p.drawRect(QRectF(6, 13, 12, 8));
        textLines(p, 8, 16, 8, 2, 2.6);
    } else if (key == QLatin1String("print")) {
        p.setPen(inkPen());
        p.setBrush(Paper);
        p.drawRect(QRectF(6.5, 2.5, 11, 8));
        p.setBrush(Steel);
        p.drawRoundedRect(QRectF(2.5, 9, 19, 9), 2, 2);
        p.setBrush(Paper);
        p.drawRect(QRectF(6.5, 14, 11, 7.5));
        textLines(p, 8.5, 17, 7, 2, 2.4);
        p.setPen(Qt::NoPen);
        p.setBrush(Green);
        p.drawEllipse(QPointF(18.5, 11.8), 1.1, 1.1);
    } else if (key == QLatin1String("cut")) {
        p.setPen(QPen(Ink, 1.8, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(7, 2.5), QPointF(15.5, 15));
        p.drawLine(QPointF(17, 2.5), QPointF(8.5, 15));
        p.setPen(QPen(Red, 1.9));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(7, 18), 3.3, 3.3);
        p.drawEllipse(QPointF(17, 18), 3.3, 3.3);
        p.setPen(Qt::NoPen);
        p.setBrush(Ink);
        p.drawEllipse(QPointF(12, 9.6), 1, 1);
    } else if (key == QLatin1String("copy")) {
        page(p, QRectF(3, 2, 11.5, 15));
        textLines(p, 5, 9, 6.5, 2, 3);
        page(p, QRectF(9.5, 7, 11.5, 15));
        textLines(p, 11.5, 14, 6.5, 2, 3);
    } else if (key == QLatin1String("paste")) {
        p.setPen(inkPen());
        p.setBrush(FolderDark);
        p.drawRoundedRect(QRectF(3.5, 4, 15, 18), 1.5, 1.5);
        p.setBrush(Steel);
        p.drawRoundedRect(QRectF(7.5, 2, 7, 4), 1, 1);
        page(p, QRectF(10, 9, 11.5, 13));
        textLines(p, 12, 15.5, 6.5, 2, 2.8);
    } else if (key == QLatin1String("undo")) {
        curvedArrow(p, true);
    } else if (key == QLatin1String("redo")) {
        curvedArrow(p, false);
    } else if (key == QLatin1String("find")) {
        p.setPen(QPen(Ink, 3.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(14.5, 14.5), QPointF(21, 21));
        p.setPen(inkPen(1.8));
        p.setBrush(QColor(0xcf, 0xe3, 0xf7));
        p.drawEllipse(QPointF(10, 10), 6.5, 6.5);
        p.setPen(QPen(Paper, 1.4, Qt::SolidLine, Qt::RoundCap));
        p.drawArc(QRectF(6, 6, 8, 8), 100 * 16, 70 * 16);
    } else if (key == QLatin1String("help")) {
        p.setPen(inkPen(1.2));
        p.setBrush(Blue);
        p.drawEllipse(QPointF(12, 12), 9.5, 9.5);
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(15);
        font.setBold(true);
        p.setFont(font);
        p.setPen(Paper);
        p.drawText(QRectF(2.5, 2.5, 19, 19), Qt::AlignCenter, QStringLiteral("?"));
    } else if (key == QLatin1String("bold")) {
        letter(p, QStringLiteral("B"), true, false, QRectF(0, 0, 24, 24), 19);
    } else if (key == QLatin1String("under")) {
        letter(p, QStringLiteral("U"), false, false, QRectF(0, -2, 24, 22), 17);
        p.setPen(QPen(Ink, 1.8));
        p.drawLine(QPointF(6, 21), QPointF(18, 21));
    } else if (key == QLatin1String("italic")) {
        letter(p, QStringLiteral("I"), false, true, QRectF(0, 0, 24, 24), 19);
    } else if (key == QLatin1String("strikethru")) {
        letter(p, QStringLiteral("S"), false, false, QRectF(0, 0, 24, 24), 18);
        p.setPen(QPen(Red, 1.8));
        p.drawLine(QPointF(4, 12.5), QPointF(20, 12.5));
    } else if (key == QLatin1String("left")) {
        alignmentLines(p, 0);
    } else if (key == QLatin1String("center")) {
        alignmentLines(p, 1);
    } else if (key == QLatin1String("right")) {
        alignmentLines(p, 2);
    } else if (key == QLatin1String("bullet")) {
        for (int i = 0; i < 3; ++i) {
            const qreal y = 5.5 + i * 6.5;
            p.setPen(Qt::NoPen);
            p.setBrush(Blue);
            p.drawEllipse(QPointF(5, y), 2, 2);
            p.setPen(QPen(Ink, 2, Qt::SolidLine, Qt::FlatCap));
            p.drawLine(QPointF(10, y), QPointF(21, y));
        }
    } else if (key == QLatin1String("spellcheck")) {
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(9);
        font.setBold(true);
        p.setFont(font);
        p.setPen(Ink);
        p.drawText(QRectF(0, 1, 24, 11), Qt::AlignCenter, QStringLiteral("ABC"));
        QPainterPath tick;
        tick.moveTo(6, 16.5);
        tick.lineTo(10.5, 21);
        tick.lineTo(19.5, 12.5);
        p.setPen(QPen(Green, 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPath(tick);
    } else if (key == QLatin1String("fontColor")) {
        letter(p, QStringLiteral("A"), true, false, QRectF(0, -1, 24, 19), 16);
        p.setPen(Qt::NoPen);
        p.setBrush(Red);
        p.drawRect(QRectF(3.5, 18.5, 17, 4));
    }
    p.end();
    return pixmap;
}

QPixmap ToolbarIcons::rulerScale(int width, int height)
{
    QPixmap pixmap(width, height);
    pixmap.fill(QColor(0xfb, 0xfb, 0xf7));
    QPainter p(&pixmap);
    p.setPen(QColor(0x70, 0x70, 0x70));
    p.drawRect(0, 0, width - 1, height - 1);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(qMax(7, height - 7));
    p.setFont(font);
    p.setPen(Ink);
    constexpr qreal perInch = 96.0;
    const int eighths = int(width / (perInch / 8.0));
    for (int i = 1; i <= eighths; ++i) {
        const qreal x = i * perInch / 8.0;
        if (i % 8 == 0) {
            p.drawText(QRectF(x - 10, 0, 20, height), Qt::AlignCenter, QString::number(i / 8));
        } else {
            const int tick = (i % 4 == 0) ? height / 2 : (i % 2 == 0 ? height / 3 : height / 5);
            p.drawLine(QPointF(x, height - 1 - tick), QPointF(x, height - 2));
        }
    }
    p.end();
    return pixmap;
}
