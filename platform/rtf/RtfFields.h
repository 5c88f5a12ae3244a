#pragma once

#include <QString>

// Field instructions ({\*\fldinst ...}) as far as the reader and writer need
// them: where a HYPERLINK field points, and the instruction that points there.
namespace RtfFields {
// The target of a HYPERLINK instruction ("url", "url#mark" or "#mark"), or
// empty for any other field.
QString hyperlinkTarget(const QString &instruction);
// The HYPERLINK instruction for a target, as Word writes it.
QString hyperlinkInstruction(const QString &target);
}
