#pragma once

#include <QTextFormat>

// Format properties the reader sets and the writer reads back: what RTF says
// that QTextDocument has no place for, kept so that a save writes it again.
namespace RtfProperties {
enum : int {
    // Tables: \trleft and \trgaph as read, in twips.
    TableLeft = QTextFormat::UserProperty + 0x5100,
    TableGap,
    // Characters of a field's result: the field's instruction (QString).
    FieldInstruction,
    // Which field of the document it was (int), so neighbours stay apart.
    FieldNumber,
    // Pictures: the type word with its parameter ("wmetafile8"), the name of
    // the resource holding the bytes as read, and the sizes written back:
    // \picw, \pich, \picwgoal, \pichgoal, \picscalex, \picscaley and the crops.
    PictureKind,
    PictureData,
    PictureWidth,
    PictureHeight,
    PictureGoalWidth,
    PictureGoalHeight,
    PictureScaleX,
    PictureScaleY,
    PictureCropLeft,
    PictureCropRight,
    PictureCropTop,
    PictureCropBottom,
    // Lists: \levelstartat as read, when it is not 1 (Qt counts from 1).
    ListStart,
    // Of the root frame: the document's settings (\paperw, \margl, \deftab,
    // \deflang...), its style sheet group and its header and footer groups,
    // all as read (QByteArray), written back as they came.
    DocumentSettings,
    DocumentStyles,
    DocumentHeaders,
    // Characters a footnote refers to: the note's group as read (QByteArray).
    Footnote,
    // An embedded object (\object group) kept as read, by resource name.
    ObjectData,
    // Characters that anchor floating shapes (\shp, \do): the shapes'
    // groups as read (QByteArray), written after them. Not shown.
    Shapes,
    // Lists read from a package: the QTextLists that are levels of one list
    // share a group (int, unique in the document) and each knows its level
    // (0-8) and its label text with %1-%9 for the levels' numbers, so a
    // save writes one list of many levels again.
    ListGroup,
    ListLevel,
    ListLevelText,
    // A list's numbering by its Word name (QString, "chineseCounting") where
    // Qt has no style for it: its labels as text are numbered in it.
    ListNumberFormat,
};
}
