// Window arrangement: tiling, cascading and lining up icons in an MDI area.
#include "help/modView.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>

class tst_view_windows : public QObject
{
    Q_OBJECT
    QMdiArea *m_area = nullptr;
    QList<QMdiSubWindow *> m_windows;

    QMdiSubWindow *addWindow(const QRect &geometry)
    {
        QMdiSubWindow *sub = m_area->addSubWindow(new QWidget);
        sub->setGeometry(geometry);
        sub->show();
        m_windows << sub;
        return sub;
    }
    QRect space() const { return m_area->viewport()->rect(); }

private slots:
    void init()
    {
        m_area = new QMdiArea;
        m_area->resize(900, 600);
        m_area->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_area));
        addWindow({10, 10, 300, 200});
        addWindow({40, 40, 300, 200});
        addWindow({70, 70, 300, 200});
        m_area->setActiveSubWindow(m_windows.at(1));
    }
    void cleanup()
    {
        delete m_area;
        m_windows.clear();
    }

    void tiling_data()
    {
        QTest::addColumn<int>("arrangement");
        QTest::addColumn<bool>("withMinimized");
        QTest::newRow("horizontally: one above the other") << int(modView::vbTileHorizontal) << false;
        QTest::newRow("vertically: side by side") << int(modView::vbTileVertical) << false;
        QTest::newRow("horizontally, a minimized window stays out") << int(modView::vbTileHorizontal) << true;
    }
    void tiling()
    {
        QFETCH(int, arrangement);
        QFETCH(bool, withMinimized);
        QMdiSubWindow *minimized = nullptr;
        QRect iconGeometry;
        if (withMinimized) {
            minimized = addWindow({100, 100, 300, 200});
            minimized->showMinimized();
            iconGeometry = minimized->geometry();
        }
        m_windows.at(2)->showMaximized();
        m_area->setActiveSubWindow(m_windows.at(1));

        modView::Arrange(m_area, arrangement);

        // The active window first; together they fill the area exactly.
        const QRect area = space();
        const bool across = arrangement == modView::vbTileHorizontal;
        QList<QRect> bands;
        for (int i = 0; i < 3; ++i) {
            QVERIFY(!m_windows.at(i)->isMaximized());
            bands << m_windows.at(i)->geometry();
        }
        std::sort(bands.begin(), bands.end(), [across](const QRect &a, const QRect &b) {
            return across ? a.top() < b.top() : a.left() < b.left();
        });
        QCOMPARE(m_windows.at(1)->geometry(), bands.first());
        int edge = across ? area.top() : area.left();
        for (const QRect &band : std::as_const(bands)) {
            if (across) {
                QCOMPARE(band.left(), area.left());
                QCOMPARE(band.width(), area.width());
                QCOMPARE(band.top(), edge);
                QVERIFY(qAbs(band.height() - area.height() / 3) <= 1);
                edge = band.bottom() + 1;
            } else {
                QCOMPARE(band.top(), area.top());
                QCOMPARE(band.height(), area.height());
                QCOMPARE(band.left(), edge);
                QVERIFY(qAbs(band.width() - area.width() / 3) <= 1);
                edge = band.right() + 1;
            }
        }
        QCOMPARE(edge, across ? area.bottom() + 1 : area.right() + 1);
        if (minimized) {
            QVERIFY(minimized->isMinimized());
            QCOMPARE(minimized->geometry(), iconGeometry);
        }
    }

    void tileWithOneWindowFillsTheArea()
    {
        delete m_windows.takeLast();
        delete m_windows.takeLast();
        modView::Arrange(m_area, modView::vbTileVertical);
        QCOMPARE(m_windows.at(0)->geometry(), space());
    }

    void cascade()
    {
        modView::Arrange(m_area, modView::vbCascade);
        // A stair from the top left, the active window in front, at its foot.
        const QList<QMdiSubWindow *> stacked = m_area->subWindowList(QMdiArea::StackingOrder);
        QCOMPARE(stacked.last(), m_windows.at(1));
        QCOMPARE(m_area->activeSubWindow(), m_windows.at(1));
        QPoint previous(-1, -1);
        QSize size;
        for (QMdiSubWindow *w : stacked) {
            const QRect g = w->geometry();
            QVERIFY(g.left() > previous.x() && g.top() > previous.y());
            QCOMPARE(g.left() - space().left(), g.top() - space().top());
            if (size.isValid())
                QCOMPARE(g.size(), size);
            size = g.size();
            previous = g.topLeft();
            QVERIFY(space().contains(g));
        }
        QCOMPARE(stacked.first()->geometry().topLeft(), space().topLeft());
    }

    void arrangeIcons()
    {
        QList<QRect> before;
        for (QMdiSubWindow *w : std::as_const(m_windows))
            before << w->geometry();
        // With none minimized nothing moves.
        modView::Arrange(m_area, modView::vbArrangeIcons);
        for (int i = 0; i < m_windows.size(); ++i)
            QCOMPARE(m_windows.at(i)->geometry(), before.at(i));

        m_windows.at(0)->showMinimized();
        m_windows.at(2)->showMinimized();
        m_windows.at(0)->move(400, 100);
        modView::Arrange(m_area, modView::vbArrangeIcons);
        // In a row along the bottom, left to right in the order they were opened.
        const QRect first = m_windows.at(0)->geometry();
        const QRect third = m_windows.at(2)->geometry();
        QCOMPARE(first.bottomLeft(), space().bottomLeft());
        QCOMPARE(third.left(), first.right() + 1);
        QCOMPARE(third.bottom(), space().bottom());
        QCOMPARE(m_windows.at(1)->geometry(), before.at(1));
    }
};

QTEST_MAIN(tst_view_windows)
#include "tst_view_windows.moc"
