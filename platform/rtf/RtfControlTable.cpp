#include "RtfControlTable.h"

#include <string_view>
#include <unordered_map>

namespace {
using K = RtfControlTable::Kind;
using A = RtfControlTable::Action;
using E = RtfControlTable::Entry;

constexpr E dest(A a) { return {a, K::Destination, 0, 0}; }
constexpr E skip() { return {A::DestSkip, K::Destination, 0, 0}; }
constexpr E sym(char16_t c) { return {A::Char, K::Symbol, 0, c}; }
constexpr E flag(A a) { return {a, K::Flag, 0, 0}; }
constexpr E toggle(A a) { return {a, K::Toggle, 1, 0}; }
constexpr E value(A a, int def = 0) { return {a, K::Value, def, 0}; }
constexpr E setting(char16_t index) { return {A::DocSetting, K::Value, 0, index}; }

const std::unordered_map<std::string_view, E> &table()
{
    static const std::unordered_map<std::string_view, E> t = {
        // Tables the reader keeps.
        {"fonttbl", dest(A::DestFontTable)},
        {"colortbl", dest(A::DestColorTable)},
        {"listtable", dest(A::DestListTable)},
        {"list", dest(A::DestList)},
        {"listlevel", dest(A::DestListLevel)},
        {"listoverridetable", dest(A::DestListOverrideTable)},
        {"listoverride", dest(A::DestListOverride)},
        {"pn", dest(A::DestPn)},
        {"pict", dest(A::DestPicture)},
        // Containers whose content is ordinary document text.
        {"field", dest(A::DestField)},
        {"fldinst", dest(A::DestFieldInst)},
        {"fldrslt", dest(A::DestFieldResult)},
        {"shppict", dest(A::DestPass)},
        // Meant for row properties, but some writers put nested cells' text here.
        {"nesttableprops", dest(A::DestPass)},
        // Alternatives: the first form is dropped, the nested result kept.
        {"object", dest(A::DestObject)},
        {"result", dest(A::DestResume)},
        {"upr", dest(A::DestHold)},
        {"ud", dest(A::DestResume)},
        // Everything here is outside the body or not text at all.
        // Kept as read and written back, though not shown.
        {"stylesheet", dest(A::DestKeep)},
        {"header", dest(A::DestKeep)}, {"headerl", dest(A::DestKeep)}, {"headerr", dest(A::DestKeep)},
        {"headerf", dest(A::DestKeep)}, {"footer", dest(A::DestKeep)}, {"footerl", dest(A::DestKeep)},
        {"footerr", dest(A::DestKeep)}, {"footerf", dest(A::DestKeep)},
        {"footnote", dest(A::DestKeepNote)},
        {"info", skip()}, {"annotation", skip()}, {"atnid", skip()}, {"atnauthor", skip()},
        {"atrfstart", skip()}, {"atrfend", skip()}, {"atnref", skip()}, {"atndate", skip()},
        {"pntext", skip()}, {"pntxta", skip()}, {"pntxtb", skip()}, {"listtext", skip()},
        {"leveltext", dest(A::DestLevelText)}, {"levelnumbers", skip()}, {"listname", skip()},
        {"lfolevel", skip()}, {"listpicture", skip()},
        {"nonshppict", skip()}, {"shp", dest(A::DestKeepShape)}, {"shpinst", skip()}, {"shprslt", skip()},
        {"shptxt", skip()}, {"do", dest(A::DestKeepShape)}, {"dptxbxtext", skip()}, {"objdata", skip()},
        {"objclass", skip()}, {"objname", skip()}, {"nonesttables", skip()},
        {"txe", skip()}, {"xe", skip()}, {"tc", skip()}, {"tcn", skip()}, {"rxe", skip()},
        {"bkmkstart", skip()}, {"bkmkend", skip()}, {"revtbl", skip()}, {"rsidtbl", skip()},
        {"filetbl", skip()}, {"docvar", skip()}, {"template", skip()}, {"printim", skip()},
        {"background", skip()}, {"ftnsep", skip()}, {"ftnsepc", skip()}, {"ftncn", skip()},
        {"aftnsep", skip()}, {"aftnsepc", skip()}, {"aftncn", skip()}, {"pgdsctbl", skip()},
        {"title", skip()}, {"subject", skip()}, {"author", skip()}, {"operator", skip()},
        {"keywords", skip()}, {"comment", skip()}, {"doccomm", skip()}, {"company", skip()},
        {"manager", skip()}, {"category", skip()}, {"hlinkbase", skip()}, {"creatim", skip()},
        {"revtim", skip()}, {"buptim", skip()}, {"userprops", skip()},
        {"generator", skip()}, {"xmlnstbl", skip()}, {"themedata", skip()},
        {"colorschememapping", skip()}, {"latentstyles", skip()}, {"datastore", skip()},
        {"falt", skip()}, {"panose", skip()}, {"fontemb", skip()}, {"fontfile", skip()},
        {"formfield", skip()}, {"datafield", skip()}, {"blipuid", skip()},
        {"protusertbl", skip()}, {"mmathPr", skip()}, {"sp", skip()}, {"sn", skip()},
        {"sv", skip()}, {"picprop", skip()}, {"macpict", value(A::PictMac, -1)},

        // Text structure.
        {"par", flag(A::Par)},
        {"sect", flag(A::Sect)},
        {"page", flag(A::Page)},
        {"chftn", flag(A::FootnoteMark)},
        {"paperw", setting(0)}, {"paperh", setting(1)}, {"margl", setting(2)}, {"margr", setting(3)},
        {"margt", setting(4)}, {"margb", setting(5)}, {"gutter", setting(6)}, {"landscape", setting(7)},
        {"deftab", setting(8)}, {"deflang", setting(9)}, {"deflangfe", setting(10)},
        {"cell", flag(A::Cell)},
        {"nestcell", flag(A::NestCell)},
        {"row", flag(A::Row)},
        {"nestrow", flag(A::NestRow)},
        {"line", sym(0x2028)},
        {"tab", sym(u'\t')},
        {"emdash", sym(0x2014)},
        {"endash", sym(0x2013)},
        {"emspace", sym(0x2003)},
        {"enspace", sym(0x2002)},
        {"qmspace", sym(0x2005)},
        {"bullet", sym(0x2022)},
        {"lquote", sym(0x2018)},
        {"rquote", sym(0x2019)},
        {"ldblquote", sym(0x201C)},
        {"rdblquote", sym(0x201D)},
        {"zwj", sym(0x200D)},
        {"zwnj", sym(0x200C)},
        {"zwbo", sym(0x200B)},
        {"ltrmark", sym(0x200E)},
        {"rtlmark", sym(0x200F)},

        // Document.
        {"ansi", flag(A::Ansi)},
        {"mac", flag(A::Mac)},
        {"pc", flag(A::Pc)},
        {"pca", flag(A::Pca)},
        {"ansicpg", value(A::AnsiCodePage, 1252)},
        {"deff", value(A::DefaultFont)},
        {"uc", value(A::UnicodeSkip, 1)},
        {"u", value(A::Unicode)},

        // Characters.
        {"plain", flag(A::Plain)},
        {"f", value(A::Font)},
        {"fs", value(A::FontSize, 24)},
        {"b", toggle(A::Bold)},
        {"i", toggle(A::Italic)},
        {"ul", toggle(A::Underline)},
        {"uld", toggle(A::Underline)}, {"uldash", toggle(A::Underline)},
        {"uldashd", toggle(A::Underline)}, {"uldashdd", toggle(A::Underline)},
        {"uldb", toggle(A::Underline)}, {"ulhwave", toggle(A::Underline)},
        {"ulldash", toggle(A::Underline)}, {"ulth", toggle(A::Underline)},
        {"ulthd", toggle(A::Underline)}, {"ulthdash", toggle(A::Underline)},
        {"ulthdashd", toggle(A::Underline)}, {"ulthdashdd", toggle(A::Underline)},
        {"ulthldash", toggle(A::Underline)}, {"ululdbwave", toggle(A::Underline)},
        {"ulw", toggle(A::Underline)}, {"ulwave", toggle(A::Underline)},
        {"ulnone", flag(A::UnderlineNone)},
        {"strike", toggle(A::Strike)},
        {"striked", toggle(A::Strike)},
        {"cf", value(A::Foreground)},
        {"cb", value(A::Background)},
        {"highlight", value(A::Background)},
        {"super", flag(A::Super)},
        {"sub", flag(A::Sub)},
        {"nosupersub", flag(A::NoSuperSub)},
        {"caps", toggle(A::Caps)},
        {"scaps", toggle(A::SmallCaps)},

        // Paragraphs.
        {"pard", flag(A::Pard)},
        {"ql", flag(A::AlignLeft)},
        {"qr", flag(A::AlignRight)},
        {"qc", flag(A::AlignCenter)},
        {"qj", flag(A::AlignJustify)},
        {"qd", flag(A::AlignJustify)},
        {"rtlpar", flag(A::RightToLeft)},
        {"ltrpar", flag(A::LeftToRight)},
        {"li", value(A::LeftIndent)},
        {"ri", value(A::RightIndent)},
        {"fi", value(A::FirstIndent)},
        {"sb", value(A::SpaceBefore)},
        {"sa", value(A::SpaceAfter)},
        {"pagebb", toggle(A::PageBreakBefore)},
        {"ls", value(A::ListOverrideIndex)},
        {"ilvl", value(A::ListLevelIndex)},
        {"pnlvlblt", flag(A::PnBullet)},
        {"pnlvlbody", flag(A::PnBody)},
        {"pnlvlcont", flag(A::PnBody)},
        {"pndec", flag(A::PnDecimal)},
        {"pnucltr", flag(A::PnUpperLetter)},
        {"pnlcltr", flag(A::PnLowerLetter)},
        {"pnucrm", flag(A::PnUpperRoman)},
        {"pnlcrm", flag(A::PnLowerRoman)},

        // Table entries.
        {"fcharset", value(A::FontCharset)},
        {"cpg", value(A::FontCodePage)},
        {"red", value(A::Red)},
        {"green", value(A::Green)},
        {"blue", value(A::Blue)},
        {"levelnfc", value(A::LevelFormat)},
        {"levelstartat", value(A::LevelStart, 1)},
        {"listid", value(A::ListId)},

        // Pictures.
        {"pngblip", flag(A::PictPng)},
        {"jpegblip", flag(A::PictJpeg)},
        // The parameter (a mapping mode, a bitmap type) is written back as read.
        {"emfblip", value(A::PictEmf, -1)},
        {"wmetafile", value(A::PictWmf, -1)},
        {"dibitmap", value(A::PictDib, -1)},
        {"wbitmap", value(A::PictDdb, -1)},
        {"pmmetafile", value(A::PictOS2, -1)},
        {"objw", value(A::ObjectWidth)},
        {"objh", value(A::ObjectHeight)},
        {"picw", value(A::PictWidth)},
        {"pich", value(A::PictHeight)},
        {"picwgoal", value(A::PictGoalWidth)},
        {"pichgoal", value(A::PictGoalHeight)},
        {"picscalex", value(A::PictScaleX, 100)},
        {"picscaley", value(A::PictScaleY, 100)},
        {"piccropl", value(A::PictCropLeft)},
        {"piccropr", value(A::PictCropRight)},
        {"piccropt", value(A::PictCropTop)},
        {"piccropb", value(A::PictCropBottom)},
        {"bliptag", value(A::PictBlipTag)},

        // Tables.
        {"intbl", flag(A::InTable)},
        {"itap", value(A::NestLevel, 1)},
        {"trowd", flag(A::RowDefaults)},
        {"trleft", value(A::RowLeft)},
        {"trgaph", value(A::RowGap)},
        {"trql", flag(A::RowAlignLeft)},
        {"trqc", flag(A::RowAlignCenter)},
        {"trqr", flag(A::RowAlignRight)},
        {"cellx", value(A::CellRight)},
        {"clmgf", flag(A::CellMergeFirst)},
        {"clmrg", flag(A::CellMerge)},
        {"clvmgf", flag(A::CellVMergeFirst)},
        {"clvmrg", flag(A::CellVMerge)},
        {"clbrdrt", flag(A::CellBorderTop)},
        {"clbrdrl", flag(A::CellBorderLeft)},
        {"clbrdrb", flag(A::CellBorderBottom)},
        {"clbrdrr", flag(A::CellBorderRight)},
        {"trbrdrt", flag(A::RowBorderTop)},
        {"trbrdrl", flag(A::RowBorderLeft)},
        {"trbrdrb", flag(A::RowBorderBottom)},
        {"trbrdrr", flag(A::RowBorderRight)},
        {"trbrdrh", flag(A::RowBorderInsideH)},
        {"trbrdrv", flag(A::RowBorderInsideV)},
        // Paragraph and character borders are not kept, but they take the
        // \brdr* words that follow them.
        {"brdrt", flag(A::OtherBorder)}, {"brdrb", flag(A::OtherBorder)},
        {"brdrl", flag(A::OtherBorder)}, {"brdrr", flag(A::OtherBorder)},
        {"brdrbtw", flag(A::OtherBorder)}, {"brdrbar", flag(A::OtherBorder)},
        {"box", flag(A::OtherBorder)}, {"chbrdr", flag(A::OtherBorder)},
        {"pgbrdrt", flag(A::OtherBorder)}, {"pgbrdrb", flag(A::OtherBorder)},
        {"pgbrdrl", flag(A::OtherBorder)}, {"pgbrdrr", flag(A::OtherBorder)},
        {"brdrnone", flag(A::BorderNone)},
        {"brdrnil", flag(A::BorderNone)},
        {"brdrs", flag(A::BorderSingle)},
        {"brdrth", flag(A::BorderSingle)},
        {"brdrsh", flag(A::BorderSingle)},
        {"brdrhair", flag(A::BorderSingle)},
        {"brdrdb", flag(A::BorderDouble)},
        {"brdrtriple", flag(A::BorderDouble)},
        {"brdrdot", flag(A::BorderDotted)},
        {"brdrdash", flag(A::BorderDashed)},
        {"brdrdashsm", flag(A::BorderDashed)},
        {"brdrdashd", flag(A::BorderDashed)},
        {"brdrw", value(A::BorderWidth)},
        {"brdrcf", value(A::BorderColor)},
        {"clcbpat", value(A::CellBackground)},
        {"clcfpat", value(A::CellPatternColor)},
        {"clshdng", value(A::CellShading)},
        {"clvertalt", flag(A::CellAlignTop)},
        {"clvertalc", flag(A::CellAlignCenter)},
        {"clvertalb", flag(A::CellAlignBottom)},
    };
    return t;
}
}

const RtfControlTable::Entry *RtfControlTable::find(QByteArrayView word)
{
    const auto &t = table();
    const auto it = t.find(std::string_view(word.data(), size_t(word.size())));
    return it == t.end() ? nullptr : &it->second;
}

const char *const RtfControlTable::documentWords[] = {
    "paperw", "paperh", "margl", "margr", "margt", "margb", "gutter", "landscape",
    "deftab", "deflang", "deflangfe",
};
const int RtfControlTable::documentWordCount = int(std::size(RtfControlTable::documentWords));
