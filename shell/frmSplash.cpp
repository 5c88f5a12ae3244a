#include "shell/frmSplash.h"

#include "shell/frmMain.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QProgressBar>
#include <QRadialGradient>
#include <QScreen>

namespace {
constexpr int SplashWidth = 480;
constexpr int SplashHeight = 300;
}

frmSplash::frmSplash(QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("frmSplash"));
    setWindowTitle(QStringLiteral("Quillet"));
    setFixedSize(SplashWidth, SplashHeight);
    setFocusPolicy(Qt::StrongFocus);

    lblAlpha = new QLabel(QStringLiteral("ALPHA"), this);
    lblAlpha->setObjectName(QStringLiteral("lblAlpha"));
    QFont alphaFont(QStringLiteral("Verdana"));
    alphaFont.setPointSize(9);
    alphaFont.setBold(true);
    lblAlpha->setFont(alphaFont);
    lblAlpha->setStyleSheet(QStringLiteral("color: #f6e7c1; background: transparent;"));
    lblAlpha->move(SplashWidth - 78, 18);
    lblAlpha->adjustSize();

    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, 50);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setGeometry(24, SplashHeight - 30, SplashWidth - 48, 10);

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

frmSplash::~frmSplash() = default;

float frmSplash::Value() const
{
    return m_value;
}

void frmSplash::SetValue(float value)
{
    m_value = qBound(0.0f, value, Max());
    ProgressBar1->setValue(qRound(m_value));
}

float frmSplash::Max() const
{
    return float(ProgressBar1->maximum());
}

void frmSplash::Form_KeyPress(int keyAscii)
{
    Q_UNUSED(keyAscii);
    dismiss();
}

void frmSplash::Form_MouseUp(int button, int shift, int x, int y)
{
    Q_UNUSED(button);
    Q_UNUSED(shift);
    Q_UNUSED(x);
    Q_UNUSED(y);
    dismiss();
}

void frmSplash::dismiss()
{
    close();
    if (frmMain *main = frmMain::instance()) {
        main->activateWindow();
        main->SetFocus();
    }
}

void frmSplash::keyPressEvent(QKeyEvent *event)
{
    // Only keys that produce a character, as the platform's key-press event.
    if (event->text().isEmpty()) {
        QWidget::keyPressEvent(event);
        return;
    }
    Form_KeyPress(event->text().at(0).unicode());
}

void frmSplash::mouseReleaseEvent(QMouseEvent *event)
{
    const QPoint p = event->position().toPoint();
    Form_MouseUp(int(event->button()), 0, p.x(), p.y());
}

void frmSplash::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawPixmap(0, 0, artwork(size()));
}

QPixmap frmSplash::artwork(const QSize &size)
{
    QPixmap pixmap(size);
    const qreal w = size.width();
    const qreal h = size.height();
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);

    // Deep ink-blue night with a warm glow where the pen meets the page.
    QLinearGradient sky(0, 0, 0, h);
    sky.setColorAt(0, QColor(0x1d, 0x2b, 0x4f));
    sky.setColorAt(1, QColor(0x0d, 0x14, 0x2a));
    p.fillRect(QRectF(0, 0, w, h), sky);
    QRadialGradient glow(QPointF(w * 0.30, h * 0.62), w * 0.45);
    glow.setColorAt(0, QColor(255, 214, 140, 90));
    glow.setColorAt(1, QColor(255, 214, 140, 0));
    p.fillRect(QRectF(0, 0, w, h), glow);

    // A sheet of paper, slightly turned.
    p.save();
    p.translate(w * 0.27, h * 0.55);
    p.rotate(-8);
    const QRectF sheet(-70, -80, 140, 170);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 70));
    p.drawRoundedRect(sheet.translated(5, 6), 3, 3);
    p.setBrush(QColor(0xfb, 0xf6, 0xe9));
    p.drawRoundedRect(sheet, 3, 3);
    p.setPen(QPen(QColor(0xb9, 0xc3, 0xd6), 2));
    for (int i = 0; i < 8; ++i) {
        const qreal y = sheet.top() + 28 + i * 16;
        const qreal right = sheet.right() - 14 - ((i % 3) == 2 ? 34 : 0);
        p.drawLine(QPointF(sheet.left() + 14, y), QPointF(right, y));
    }
    p.restore();

    // A line of fresh ink that ends where the nib rests.
    const QPointF nib(w * 0.36 + 7.4, h * 0.70 + 9.5);
    QPainterPath ink;
    ink.moveTo(nib.x() - 64, nib.y() + 4);
    ink.cubicTo(nib.x() - 52, nib.y() - 8, nib.x() - 44, nib.y() + 10, nib.x() - 32, nib.y() + 1);
    ink.cubicTo(nib.x() - 22, nib.y() - 7, nib.x() - 12, nib.y() + 8, nib.x(), nib.y());
    p.setPen(QPen(QColor(0x1d, 0x2b, 0x4f), 1.8, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(ink);

    // The quill: a curved feather with a shaft, its tip on the page.
    p.save();
    p.translate(w * 0.36, h * 0.70);
    p.rotate(-38);
    QPainterPath feather;
    feather.moveTo(0, 0);
    feather.cubicTo(18, -40, 30, -120, 14, -190);
    feather.cubicTo(-10, -150, -22, -70, 0, 0);
    QLinearGradient vane(-20, 0, 30, 0);
    vane.setColorAt(0, QColor(0xf4, 0xf1, 0xea));
    vane.setColorAt(1, QColor(0xc9, 0xd3, 0xe6));
    p.setPen(QPen(QColor(0x8b, 0x97, 0xb3), 1));
    p.setBrush(vane);
    p.drawPath(feather);
    p.setPen(QPen(QColor(0x6b, 0x75, 0x90), 1.2));
    for (int i = 1; i < 9; ++i) {
        const qreal y = -20.0 * i;
        p.drawLine(QPointF(4, y), QPointF(14 - i * 0.6, y - 10));
        p.drawLine(QPointF(4, y), QPointF(-8 + i * 0.4, y - 8));
    }
    p.setPen(QPen(QColor(0x5a, 0x46, 0x2e), 2.2));
    p.drawLine(QPointF(0, 12), QPointF(12, -185));
    p.restore();

    // The name.
    QFont title(QStringLiteral("DejaVu Serif"));
    title.setPixelSize(int(h * 0.19));
    title.setBold(true);
    p.setFont(title);
    p.setPen(QColor(0xf6, 0xe7, 0xc1));
    const QRectF titleRect(w * 0.47, h * 0.22, w * 0.50, h * 0.30);
    p.drawText(titleRect, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Quillet"));

    QFont tagline(QStringLiteral("DejaVu Sans"));
    tagline.setPixelSize(int(h * 0.05));
    p.setFont(tagline);
    p.setPen(QColor(0xc9, 0xd3, 0xe6));
    p.drawText(QRectF(w * 0.475, h * 0.50, w * 0.50, h * 0.10), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Write. Format. Keep every word."));
    p.end();
    return pixmap;
}
