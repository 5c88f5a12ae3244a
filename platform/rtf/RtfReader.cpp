#include "RtfReader.h"

#include "RtfBuilder.h"
#include "RtfControlTable.h"
#include "RtfTokenizer.h"

#include <QTextCursor>
#include <QTextDocument>

namespace {
RtfReader::Result parse(const QByteArray &rtf, RtfBuilder &builder)
{
    RtfReader::Result result;
    builder.setSource(rtf);
    const bool header = RtfReader::isRtf(rtf);
    if (rtf.trimmed().isEmpty())
        builder.problem(QStringLiteral("the data is empty"), 0);
    else if (!header)
        builder.problem(QStringLiteral("the data does not begin with {\\rtf, so it is not Rich Text"), 0);

    RtfTokenizer tokenizer(rtf);
    for (;;) {
        const RtfTokenizer::Token t = tokenizer.next();
        switch (t.type) {
        case RtfTokenizer::Token::End:
            break;
        case RtfTokenizer::Token::GroupOpen:
            builder.openGroup(t.offset);
            continue;
        case RtfTokenizer::Token::GroupClose:
            builder.closeGroup(t.offset);
            if (builder.ended()) {
                // The document ends with its outermost group; a second one
                // glued after it (or junk) is not read into it.
                if (!QByteArrayView(rtf).sliced(t.offset + 1).trimmed().isEmpty())
                    builder.problem(QStringLiteral("data after the end of the document was not read"), t.offset + 1);
                break;
            }
            continue;
        case RtfTokenizer::Token::ControlWord:
            if (t.malformed)
                builder.problem(QStringLiteral("over-long control word ignored"), t.offset);
            builder.controlWord(t.malformed ? nullptr : RtfControlTable::find(t.data),
                                t.hasParameter, t.parameter);
            continue;
        case RtfTokenizer::Token::ControlSymbol:
            if (!t.malformed)
                builder.controlSymbol(t.symbol);
            continue;
        case RtfTokenizer::Token::HexByte:
            if (t.malformed)
                builder.damage(QStringLiteral("bad hex escape \\' ignored"), t.offset);
            else
                builder.hexByte(t.byte);
            continue;
        case RtfTokenizer::Token::Binary:
            if (t.malformed)
                builder.damage(QStringLiteral("\\bin data runs past the end"), t.offset);
            builder.binary(t.data);
            continue;
        case RtfTokenizer::Token::Text:
            builder.text(t.data);
            continue;
        }
        break;
    }
    builder.finish();

    result.errorText = builder.problems().join(QLatin1Char('\n'));
    result.ok = header;
    result.incomplete = builder.incomplete();
    return result;
}
}

RtfReader::Result RtfReader::read(const QByteArray &rtf, QTextDocument &document)
{
    // A load is not an edit: without undo history the build is faster and
    // the user cannot undo back into the previous file.
    const bool undo = document.isUndoRedoEnabled();
    document.setUndoRedoEnabled(false);
    document.clear();
    QTextCursor cursor(&document);
    cursor.beginEditBlock();
    RtfBuilder builder(cursor, true);
    const Result result = parse(rtf, builder);
    cursor.endEditBlock();
    document.setUndoRedoEnabled(undo);
    return result;
}

RtfReader::Result RtfReader::readText(const QByteArray &rtf, const QString &lineEnd, QString &text)
{
    text.clear();
    // Text is rarely longer than the RTF that holds it; reserving that much
    // spares copying it as it grows, and takes memory only as it is written.
    text.reserve(rtf.size());
    RtfBuilder builder(text, lineEnd);
    return parse(rtf, builder);
}

RtfReader::Result RtfReader::insert(const QByteArray &rtf, QTextCursor &cursor)
{
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    RtfBuilder builder(cursor, false);
    const Result result = parse(rtf, builder);
    cursor.endEditBlock();
    return result;
}

bool RtfReader::isRtf(const QByteArray &bytes)
{
    qsizetype i = 0;
    while (i < bytes.size() && (bytes.at(i) == ' ' || bytes.at(i) == '\t' || bytes.at(i) == '\r'
                                || bytes.at(i) == '\n'))
        ++i;
    return QByteArrayView(bytes).sliced(i).startsWith("{\\rtf");
}
