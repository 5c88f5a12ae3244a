#pragma once

#include <QTextFormat>

// Format properties the reader sets and the writer reads back: what RTF says
// that QTextDocument has no place for, kept so that a save writes it again.
namespace RtfProperties {
enum : int {
    // Tables: \trleft and \trgaph as read, in twips.
    TableLeft = QTextFormat::UserProperty + 0x5100,
    TableGap,
};
}
