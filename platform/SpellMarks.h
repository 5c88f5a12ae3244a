#pragma once

#include <QObject>
#include <QPixmap>
#include <QPointer>
#include <QTimer>
#include <memory>

class QPainter;
class QTextBlock;
class QTextDocument;
class RichTextBox;
class SpellLanguage;

// The wavy red underline under the misspelt words of one RichTextBox, as the
// user types. The marks are the control's alone: they live beside the
// document's paragraphs (as block user data), never in its text or formats,
// so they are not saved, copied or undone, and they never count as a change.
//
// Words are split as the spelling server splits them and looked up in a
// SpellLanguage (dictionary, personal word list, ignored words). A word is
// checked once it is finished: the word the caret is typing stays unmarked
// until a space or punctuation ends it or the caret leaves it. What is on
// screen (and a screen above and below) is checked first, soon after a load,
// a scroll or an edit; the rest in short slices while the program is idle,
// so neither a load nor a keystroke waits for the whole document.
//
// Owned by its control (its Qt parent); it draws through the control's
// overlay and follows a document the control swaps in.
class SpellMarks : public QObject
{
    Q_OBJECT

public:
    struct Word
    {
        int start = -1;   // document position; -1: none
        int length = 0;
    };

    explicit SpellMarks(RichTextBox *box);
    ~SpellMarks() override;

    // The marks of a control, or nullptr when it has none.
    static SpellMarks *Of(const RichTextBox *box);

    // Checking runs while enabled and with a language; either switch off
    // removes every mark.
    void SetEnabled(bool enabled);
    bool Enabled() const { return m_enabled; }
    void SetLanguage(std::shared_ptr<SpellLanguage> language);
    std::shared_ptr<SpellLanguage> Language() const { return m_language; }
    bool Active() const;

    // The marked word around a document position (its end included), or a
    // Word with start -1.
    Word MarkAt(int position) const;
    // Every mark, in document order; and their texts.
    QList<Word> Marks() const;
    QStringList MarkedWords() const;
    // True while some text still waits to be checked (the word being typed
    // aside).
    bool Pending() const;
    // Checks what was edited, and what is on screen, now rather than from
    // the event loop.
    void CheckNow();

    // Takes away the marks of the word that are now correct, after it was
    // added to the personal list or ignored; checks nothing anew.
    void Recheck(const QString &word);

    // Draws the marks inside the exposed part of the control's viewport.
    void Paint(QPainter &painter, const QRect &exposed);

private:
    struct Span
    {
        int start;
        int end;
    };

    void attach(QTextDocument *document);
    void clearAll();
    void restart();
    void contentsChanged(int from, int removed, int added);
    void caretMoved();
    void schedule(bool visibleToo);
    void postponeSweep();
    void screenChanged();
    void pass();
    void sweepSlice();
    // Checks what is dirty in the block, up to a slice's worth; true when
    // its marks changed. `done` says whether the block is now all checked,
    // `checked` which stretch of it (paragraph positions) was.
    bool checkBlock(const QTextBlock &block, bool *done = nullptr, QPair<int, int> *checked = nullptr);
    void markDirty(int from, int to);
    void repaintText(const QTextBlock &block, int from, int to);
    QPair<int, int> visibleBlockNumbers(int margin) const;
    const QPixmap &wave();

    QPointer<RichTextBox> m_box;
    QPointer<QTextDocument> m_document;
    std::shared_ptr<SpellLanguage> m_language;
    bool m_enabled = true;
    int m_blockCount = 0;

    // The word being typed: the last edit ended at the caret, and the caret
    // has not moved away since. The word it touches was left unchecked.
    bool m_typing = false;
    int m_editCaret = -1;
    Span m_skipped{-1, -1};

    QList<int> m_hints;          // positions edited since the last pass
    bool m_visiblePending = false;
    QTimer m_pass;
    QTimer m_idle;               // the pause before the sweep begins
    QTimer m_sweep;
    int m_sweepBlock = 0;
    bool m_sweepFoundWork = false;
    QPixmap m_wave;
    qreal m_waveRatio = 0;
};
