#include "RichTextBox.h"

#include <QMimeData>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QResizeEvent>

// First cut: members answer with defaults until the real control lands.
struct RichTextBox::Private
{
    QString lastError;
    bool clipboardKeys = true;
};

RichTextBox::RichTextBox(QWidget *parent) : QTextEdit(parent), d(new Private) {}
RichTextBox::~RichTextBox() { delete d; }

QString RichTextBox::Text() const { return toPlainText(); }
void RichTextBox::SetText(const QString &text) { setPlainText(text); emit Change(); }
int RichTextBox::SelStart() const { return textCursor().selectionStart(); }
void RichTextBox::SetSelStart(int) {}
int RichTextBox::SelLength() const { return textCursor().selectionEnd() - textCursor().selectionStart(); }
void RichTextBox::SetSelLength(int) {}
QString RichTextBox::SelText() const { return textCursor().selectedText(); }
void RichTextBox::SetSelText(const QString &text) { textCursor().insertText(text); emit Change(); }
QByteArray RichTextBox::SelRTF() const { return {}; }
void RichTextBox::SetSelRTF(const QByteArray &) {}
std::optional<QString> RichTextBox::SelFontName() const { return std::nullopt; }
void RichTextBox::SetSelFontName(const QString &) {}
std::optional<double> RichTextBox::SelFontSize() const { return std::nullopt; }
void RichTextBox::SetSelFontSize(double) {}
bool RichTextBox::SetSelFontSizeText(const QString &) { return false; }
std::optional<bool> RichTextBox::SelBold() const { return std::nullopt; }
void RichTextBox::SetSelBold(bool) {}
std::optional<bool> RichTextBox::SelItalic() const { return std::nullopt; }
void RichTextBox::SetSelItalic(bool) {}
std::optional<bool> RichTextBox::SelUnderline() const { return std::nullopt; }
void RichTextBox::SetSelUnderline(bool) {}
std::optional<bool> RichTextBox::SelStrikeThru() const { return std::nullopt; }
void RichTextBox::SetSelStrikeThru(bool) {}
std::optional<bool> RichTextBox::SelBullet() const { return std::nullopt; }
void RichTextBox::SetSelBullet(bool) {}
std::optional<int> RichTextBox::SelColor() const { return std::nullopt; }
void RichTextBox::SetSelColor(int) {}
std::optional<int> RichTextBox::SelAlignment() const { return std::nullopt; }
void RichTextBox::SetSelAlignment(int) {}
std::optional<int> RichTextBox::SelIndent() const { return std::nullopt; }
void RichTextBox::SetSelIndent(int) {}
std::optional<int> RichTextBox::SelHangingIndent() const { return std::nullopt; }
void RichTextBox::SetSelHangingIndent(int) {}
int RichTextBox::RightMargin() const { return 0; }
void RichTextBox::SetRightMargin(int) {}
QString RichTextBox::FontName() const { return font().family(); }
void RichTextBox::SetFontName(const QString &) {}
double RichTextBox::FontSize() const { return font().pointSizeF(); }
void RichTextBox::SetFontSize(double) {}
bool RichTextBox::FontBold() const { return false; }
void RichTextBox::SetFontBold(bool) {}
int RichTextBox::Width() const { return 0; }
int RichTextBox::Height() const { return 0; }
void RichTextBox::Move(int, int, int, int) {}
bool RichTextBox::LoadFile(const QString &, int) { d->lastError = QStringLiteral("Not available yet"); return false; }
bool RichTextBox::SaveFile(const QString &, int) { d->lastError = QStringLiteral("Not available yet"); return false; }
QString RichTextBox::LastError() const { return d->lastError; }
void RichTextBox::InjectSaveFailure(qint64) {}
int RichTextBox::Find(const QString &, int, int, int) { return -1; }
void RichTextBox::Span(const QString &, bool, bool) {}
void RichTextBox::SelPrint(QPrinter *) {}
int RichTextBox::LineFromChar(int) const { return 0; }
int RichTextBox::GetLineCount() const { return 1; }
void RichTextBox::CopyRich() { copy(); }
void RichTextBox::PasteRich() { paste(); }
void RichTextBox::SetClipboardKeysEnabled(bool enabled) { d->clipboardKeys = enabled; }
bool RichTextBox::ClipboardKeysEnabled() const { return d->clipboardKeys; }
void RichTextBox::keyPressEvent(QKeyEvent *event) { QTextEdit::keyPressEvent(event); }
void RichTextBox::keyReleaseEvent(QKeyEvent *event) { QTextEdit::keyReleaseEvent(event); }
void RichTextBox::mouseReleaseEvent(QMouseEvent *event) { QTextEdit::mouseReleaseEvent(event); }
void RichTextBox::resizeEvent(QResizeEvent *event) { QTextEdit::resizeEvent(event); }
QMimeData *RichTextBox::createMimeDataFromSelection() const { return QTextEdit::createMimeDataFromSelection(); }
bool RichTextBox::canInsertFromMimeData(const QMimeData *source) const { return QTextEdit::canInsertFromMimeData(source); }
void RichTextBox::insertFromMimeData(const QMimeData *source) { QTextEdit::insertFromMimeData(source); }
