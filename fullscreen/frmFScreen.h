#pragma once

#include <QPointer>
#include <QWidget>

class RichTextBox;
class frmDoc;

// The full-screen window: one rich text control, FSRTB, over the whole
// screen, and the floating frmFScreenB that leads back. The document's
// content comes in and goes back directly, as Rich Text, never through the
// clipboard, so the clipboard keeps what the user put there.
//
// Leaving (the floating button, or this window closed any other way)
// writes the content back into the document that entered, whichever
// document is active by then; if that document was closed meanwhile, the
// content opens in a new document window instead of being lost. The window
// deletes itself once left; one exists at a time (instance()).
class frmFScreen : public QWidget
{
    Q_OBJECT

public:
    // The window for source, not yet shown; owner is the main window.
    frmFScreen(frmDoc *source, QWidget *owner = nullptr);
    ~frmFScreen() override;

    static frmFScreen *instance();

    RichTextBox *FSRTB = nullptr;
    // Set by every change of FSRTB and never cleared, for the whole run.
    static inline bool bFullChanged = false;

    // The document that entered, or nullptr once it has been closed.
    frmDoc *Source() const;

    void Form_Load();
    void Form_Resize();
    void FSRTB_Change();
    // Writes the content back; runs once, however the window is left.
    void Form_Unload();

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QPointer<frmDoc> m_source;
    bool m_unloaded = false;
};
