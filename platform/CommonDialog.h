#pragma once

#include <QFont>
#include <QString>
#include <memory>

class QPrinter;
class QWidget;

// The common dialog the main window keeps as one object: the open, save,
// colour, font and print dialogs, with the properties their callers set and
// read between uses (title, filter "text|pattern|...", filter index, file
// name, default extension, flags, colour, font).
//
// Every Show* first asks the modal seam (kinds "open", "save", "color",
// "font", "print"), so tests answer it without a window. Show* returns true
// when the user confirmed and false when they cancelled; Cancelled() tells
// the same afterwards. A cancelled file dialog leaves FileName empty, so a
// name chosen earlier is never taken for a new choice; a cancelled colour or
// font dialog leaves those values as they were. CancelError is kept for the
// callers that treat a cancel as an error of their own. An answer from the
// seam is the dialog's final word: no overwrite question follows it, but a
// name without extension still gets DefaultExt.
class CommonDialog
{
public:
    enum Flag {
        cdlCCRGBInit = 0x1,             // colour: open with Color chosen
        cdlOFNOverwritePrompt = 0x2,    // save: ask before replacing a file
        cdlOFNFileMustExist = 0x1000,   // open: only an existing file
        cdlCFBoth = 0x3,                // font: screen and printer fonts
        cdlCFEffects = 0x100            // font: strike-through, underline, colour
    };

    explicit CommonDialog(QWidget *owner = nullptr);
    ~CommonDialog();
    CommonDialog(const CommonDialog &) = delete;
    CommonDialog &operator=(const CommonDialog &) = delete;

    QString DialogTitle() const;
    void SetDialogTitle(const QString &title);
    QString Filter() const;
    void SetFilter(const QString &filter);
    int FilterIndex() const;   // 1-based
    void SetFilterIndex(int index);
    QString FileName() const;
    void SetFileName(const QString &name);
    QString DefaultExt() const;
    void SetDefaultExt(const QString &extension);
    int Flags() const;
    void SetFlags(int flags);
    bool CancelError() const;
    void SetCancelError(bool on);

    int Color() const;   // 0x00BBGGRR
    void SetColor(int bgr);

    QString FontName() const;
    void SetFontName(const QString &name);
    double FontSize() const;
    void SetFontSize(double points);
    bool FontBold() const;
    void SetFontBold(bool on);
    bool FontItalic() const;
    void SetFontItalic(bool on);
    bool FontUnderline() const;
    void SetFontUnderline(bool on);
    bool FontStrikethru() const;
    void SetFontStrikethru(bool on);

    bool ShowOpen();
    bool ShowSave();
    bool ShowColor();
    bool ShowFont();
    bool ShowPrinter();
    bool Cancelled() const;

    // The printer the print dialog set up, for SelPrint.
    QPrinter *Printer();

    // Qt's name filters for a "text|pattern|..." filter ("*.*" means every file).
    static QStringList nameFilters(const QString &filter);
    // `name` with ".ext" appended when its file part has no extension.
    static QString withDefaultExtension(const QString &name, const QString &extension);

private:
    bool showFileDialog(bool save);
    QFont currentFont() const;
    void takeFont(const QFont &font);

    struct Private;
    std::unique_ptr<Private> d;
};
