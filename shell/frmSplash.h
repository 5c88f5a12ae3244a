#pragma once

#include <QWidget>

class QLabel;
class QProgressBar;

// The start-up window: product artwork, the "ALPHA" label and a progress
// bar of 0 to 50. A key press on it or a mouse button released over it
// closes it early and hands the focus to the main window.
class frmSplash : public QWidget
{
    Q_OBJECT

public:
    explicit frmSplash(QWidget *parent = nullptr);
    ~frmSplash() override;

    QProgressBar *ProgressBar1 = nullptr;
    QLabel *lblAlpha = nullptr;

    // The bar's value and maximum as the single-precision numbers Main
    // works with.
    float Value() const;
    void SetValue(float value);
    float Max() const;

    void Form_KeyPress(int keyAscii);
    void Form_MouseUp(int button, int shift, int x, int y);

    // The artwork, drawn rather than shipped as an image.
    static QPixmap artwork(const QSize &size);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void dismiss();
    float m_value = 0.0f;
};
