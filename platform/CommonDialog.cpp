#include "CommonDialog.h"

#include "ModalSeam.h"

#include <QColor>
#include <QColorDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QRegularExpression>

namespace {

int toBgr(const QColor &color)
{
    return color.red() | (color.green() << 8) | (color.blue() << 16);
}

QColor fromBgr(int bgr)
{
    return QColor(bgr & 0xff, (bgr >> 8) & 0xff, (bgr >> 16) & 0xff);
}

} // namespace

struct CommonDialog::Private
{
    QPointer<QWidget> owner;
    QString title;
    QString filter;
    int filterIndex = 1;
    QString fileName;
    QString defaultExt;
    int flags = 0;
    bool cancelError = false;
    bool cancelled = false;
    int color = 0;
    QString fontName;
    double fontSize = 0;
    bool fontBold = false;
    bool fontItalic = false;
    bool fontUnderline = false;
    bool fontStrikethru = false;
    std::unique_ptr<QPrinter> printer;
};

CommonDialog::CommonDialog(QWidget *owner) : d(std::make_unique<Private>())
{
    d->owner = owner;
}

CommonDialog::~CommonDialog() = default;

QString CommonDialog::DialogTitle() const { return d->title; }
void CommonDialog::SetDialogTitle(const QString &title) { d->title = title; }
QString CommonDialog::Filter() const { return d->filter; }
void CommonDialog::SetFilter(const QString &filter) { d->filter = filter; }
int CommonDialog::FilterIndex() const { return d->filterIndex; }
void CommonDialog::SetFilterIndex(int index) { d->filterIndex = index; }
QString CommonDialog::FileName() const { return d->fileName; }
void CommonDialog::SetFileName(const QString &name) { d->fileName = name; }
QString CommonDialog::DefaultExt() const { return d->defaultExt; }
void CommonDialog::SetDefaultExt(const QString &extension) { d->defaultExt = extension; }
int CommonDialog::Flags() const { return d->flags; }
void CommonDialog::SetFlags(int flags) { d->flags = flags; }
bool CommonDialog::CancelError() const { return d->cancelError; }
void CommonDialog::SetCancelError(bool on) { d->cancelError = on; }
int CommonDialog::Color() const { return d->color; }
void CommonDialog::SetColor(int bgr) { d->color = bgr & 0xffffff; }
QString CommonDialog::FontName() const { return d->fontName; }
void CommonDialog::SetFontName(const QString &name) { d->fontName = name; }
double CommonDialog::FontSize() const { return d->fontSize; }
void CommonDialog::SetFontSize(double points) { d->fontSize = points; }
bool CommonDialog::FontBold() const { return d->fontBold; }
void CommonDialog::SetFontBold(bool on) { d->fontBold = on; }
bool CommonDialog::FontItalic() const { return d->fontItalic; }
void CommonDialog::SetFontItalic(bool on) { d->fontItalic = on; }
bool CommonDialog::FontUnderline() const { return d->fontUnderline; }
void CommonDialog::SetFontUnderline(bool on) { d->fontUnderline = on; }
bool CommonDialog::FontStrikethru() const { return d->fontStrikethru; }
void CommonDialog::SetFontStrikethru(bool on) { d->fontStrikethru = on; }
bool CommonDialog::Cancelled() const { return d->cancelled; }

QPrinter *CommonDialog::Printer()
{
    if (!d->printer)
        d->printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return d->printer.get();
}

QStringList CommonDialog::nameFilters(const QString &filter)
{
    static const QRegularExpression trailingPatterns(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
    const QStringList parts = filter.split(u'|');
    QStringList result;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts.at(i).trimmed();
        QStringList patterns;
        for (QString pattern : parts.at(i + 1).split(u';', Qt::SkipEmptyParts)) {
            pattern = pattern.trimmed();
            // "*.*" means every file, also those without a dot in the name.
            patterns << (pattern == QLatin1String("*.*") ? QStringLiteral("*") : pattern);
        }
        if (description.isEmpty() && patterns.isEmpty())
            continue;
        if (patterns.isEmpty())
            patterns << QStringLiteral("*");
        // Qt reads the patterns from the parentheses, so they must be the real ones.
        description.remove(trailingPatterns);
        result << QStringLiteral("%1 (%2)").arg(description, patterns.join(u' '));
    }
    return result;
}

QString CommonDialog::withDefaultExtension(const QString &name, const QString &extension)
{
    QString ext = extension.trimmed();
    while (ext.startsWith(u'.'))
        ext.remove(0, 1);
    if (name.isEmpty() || ext.isEmpty())
        return name;
    if (QFileInfo(name).fileName().contains(u'.'))
        return name;
    return name + u'.' + ext;
}

bool CommonDialog::showFileDialog(bool save)
{
    d->cancelled = false;
    const QString title = !d->title.isEmpty() ? d->title
                                              : (save ? QStringLiteral("Save As") : QStringLiteral("Open"));
    QFileDialog dialog(d->owner, title);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(!save && (d->flags & cdlOFNFileMustExist) ? QFileDialog::ExistingFile
                                                                  : QFileDialog::AnyFile);
    if (save && !(d->flags & cdlOFNOverwritePrompt))
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    // Qt appends it too, so that its overwrite question sees the final name.
    if (!d->defaultExt.isEmpty())
        dialog.setDefaultSuffix(d->defaultExt);
    const QStringList filters = nameFilters(d->filter);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        if (d->filterIndex >= 1 && d->filterIndex <= filters.size())
            dialog.selectNameFilter(filters.at(d->filterIndex - 1));
    }
    if (!d->fileName.isEmpty())
        dialog.selectFile(d->fileName);

    QString chosen;
    const ModalSeam::Question question{save ? QStringLiteral("save") : QStringLiteral("open"), title,
                                       d->fileName, &dialog};
    if (const std::optional<QVariant> answer = ModalSeam::take(question)) {
        if (answer->isValid())
            chosen = answer->toString();
    } else if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
        chosen = dialog.selectedFiles().constFirst();
        const qsizetype index = filters.indexOf(dialog.selectedNameFilter());
        if (index >= 0)
            d->filterIndex = int(index) + 1;
    }

    if (chosen.isEmpty()) {
        d->fileName.clear();
        d->cancelled = true;
        return false;
    }
    d->fileName = withDefaultExtension(chosen, d->defaultExt);
    return true;
}

bool CommonDialog::ShowOpen()
{
    return showFileDialog(false);
}

bool CommonDialog::ShowSave()
{
    return showFileDialog(true);
}

bool CommonDialog::ShowColor()
{
    d->cancelled = false;
    QColorDialog dialog(fromBgr(d->color), d->owner);
    if (!d->title.isEmpty())
        dialog.setWindowTitle(d->title);

    std::optional<int> chosen;
    const ModalSeam::Question question{QStringLiteral("color"), d->title, QString(), &dialog};
    if (const std::optional<QVariant> answer = ModalSeam::take(question)) {
        if (answer->typeId() == QMetaType::QColor) {
            const QColor color = answer->value<QColor>();
            if (color.isValid())
                chosen = toBgr(color);
        } else if (answer->isValid()) {
            bool ok = false;
            const int value = answer->toInt(&ok);
            if (ok)
                chosen = value & 0xffffff;
        }
    } else if (dialog.exec() == QDialog::Accepted) {
        chosen = toBgr(dialog.selectedColor());
    }

    if (!chosen) {
        d->cancelled = true;
        return false;
    }
    d->color = *chosen;
    return true;
}

QFont CommonDialog::currentFont() const
{
    QFont font;
    if (!d->fontName.isEmpty())
        font.setFamilies(QStringList{d->fontName});
    if (d->fontSize > 0)
        font.setPointSizeF(d->fontSize);
    font.setBold(d->fontBold);
    font.setItalic(d->fontItalic);
    font.setUnderline(d->fontUnderline);
    font.setStrikeOut(d->fontStrikethru);
    return font;
}

void CommonDialog::takeFont(const QFont &font)
{
    d->fontName = font.family();
    if (font.pointSizeF() > 0)
        d->fontSize = font.pointSizeF();
    d->fontBold = font.bold();
    d->fontItalic = font.italic();
    d->fontUnderline = font.underline();
    d->fontStrikethru = font.strikeOut();
}

bool CommonDialog::ShowFont()
{
    d->cancelled = false;
    QFontDialog dialog(currentFont(), d->owner);
    if (!d->title.isEmpty())
        dialog.setWindowTitle(d->title);

    std::optional<QFont> chosen;
    const ModalSeam::Question question{QStringLiteral("font"), d->title, QString(), &dialog};
    if (const std::optional<QVariant> answer = ModalSeam::take(question)) {
        if (answer->typeId() == QMetaType::QFont)
            chosen = answer->value<QFont>();
    } else if (dialog.exec() == QDialog::Accepted) {
        chosen = dialog.selectedFont();
    }

    if (!chosen) {
        d->cancelled = true;
        return false;
    }
    takeFont(*chosen);
    return true;
}

bool CommonDialog::ShowPrinter()
{
    d->cancelled = false;
    // The print dialog is built only when it is really shown: building it
    // asks the print system for its printers.
    bool confirmed = false;
    const ModalSeam::Question question{QStringLiteral("print"), d->title, QString(), nullptr};
    if (const std::optional<QVariant> answer = ModalSeam::take(question)) {
        confirmed = answer->isValid() && answer->toBool();
    } else {
        QPrintDialog dialog(Printer(), d->owner);
        if (!d->title.isEmpty())
            dialog.setWindowTitle(d->title);
        confirmed = dialog.exec() == QDialog::Accepted;
    }
    d->cancelled = !confirmed;
    return confirmed;
}
