#pragma once

#include <QByteArrayView>

// The one table that says what each RTF control word is and which action of
// the builder handles it. Words not in the table are ignored, as the format
// asks; a \* before an unknown word makes its whole group skipped.
class RtfControlTable
{
public:
    enum Kind {
        Destination,   // starts a group with its own meaning
        Symbol,        // stands for one character
        Flag,          // acts, ignores any parameter
        Toggle,        // on, or off with parameter 0
        Value,         // takes a parameter (or the default)
    };

    enum Action {
        // destinations
        DestFontTable, DestColorTable, DestSkip, DestPass, DestPicture, DestHold, DestResume,
        DestPn, DestField, DestFieldInst, DestFieldResult, DestListTable, DestList, DestListLevel, DestLevelText, DestListOverrideTable, DestListOverride,
        DestKeep, DestKeepNote, DestKeepShape, DestObject,
        // text structure
        Par, Sect, Page, Cell, Row, Char, FootnoteMark,
        // document
        Ansi, Mac, Pc, Pca, AnsiCodePage, DefaultFont, UnicodeSkip, Unicode,
        DocSetting,   // character: its index in RtfControlTable::documentWords
        // character formatting
        Plain, Font, FontSize, Bold, Italic, Underline, UnderlineNone, Strike, Foreground,
        Background, Super, Sub, NoSuperSub, Caps, SmallCaps,
        // paragraph formatting
        Pard, AlignLeft, AlignRight, AlignCenter, AlignJustify, RightToLeft, LeftToRight,
        LeftIndent, RightIndent, FirstIndent, SpaceBefore, SpaceAfter, PageBreakBefore, ListOverrideIndex, ListLevelIndex,
        // legacy numbering (\pn)
        PnBullet, PnBody, PnDecimal, PnUpperLetter, PnLowerLetter, PnUpperRoman, PnLowerRoman,
        // tables
        FontCharset, FontCodePage, Red, Green, Blue, LevelFormat, LevelStart, ListId,
        // pictures
        PictPng, PictJpeg, PictEmf, PictWmf, PictDib, PictDdb, PictOS2, PictMac, PictWidth, PictHeight, PictGoalWidth, PictGoalHeight,
        PictScaleX, PictScaleY, PictCropLeft, PictCropRight, PictCropTop, PictCropBottom,
        PictBlipTag, ObjectWidth, ObjectHeight,
        // tables: \intbl, \itap, row and cell definitions, cell and row ends
        InTable, NestLevel, RowDefaults, RowLeft, RowGap, RowAlignLeft, RowAlignCenter,
        RowAlignRight, CellRight, CellMergeFirst, CellMerge, CellVMergeFirst, CellVMerge,
        CellBorderTop, CellBorderLeft, CellBorderBottom, CellBorderRight, RowBorderTop,
        RowBorderLeft, RowBorderBottom, RowBorderRight, RowBorderInsideH, RowBorderInsideV,
        OtherBorder, BorderNone, BorderSingle, BorderDouble, BorderDotted, BorderDashed,
        BorderWidth, BorderColor, CellBackground, CellPatternColor, CellShading,
        CellAlignTop, CellAlignCenter, CellAlignBottom, NestCell, NestRow,
    };

    struct Entry
    {
        Action action;
        Kind kind;
        int defaultParameter;
        char16_t character;   // for Symbol
    };

    // nullptr for words the reader does not know.
    static const Entry *find(QByteArrayView word);
    // The document's settings Quillet keeps but does not edit (paper size,
    // margins, orientation, default tab, languages), by DocSetting index.
    static const char *const documentWords[];
    static const int documentWordCount;
};
