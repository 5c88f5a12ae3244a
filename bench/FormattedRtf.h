#pragma once

#include <QByteArray>

// The benchmarks' formatted document: paragraphs of 85 words, every tenth
// bold, every seventeenth italic in another font, three sizes. 2,000
// paragraphs make about 1 MB.
inline QByteArray formattedRtf(int paragraphs)
{
    static const char *const words[] = {"lorem", "ipsum", "dolor", "sit", "amet",
                                        "consectetur", "adipiscing", "elit", "sed", "do",
                                        "eiusmod", "tempor", "incididunt", "ut", "labore"};
    QByteArray rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Verdana;}{\\f1 Arial;}}\n";
    int n = 0;
    for (int p = 0; p < paragraphs; ++p) {
        rtf += "\\pard\\fs" + QByteArray::number(20 + 4 * (p % 3)) + " ";
        for (int w = 0; w < 85; ++w, ++n) {
            const QByteArray word = words[n % 15];
            if (n % 10 == 0)
                rtf += "{\\b " + word + "}";
            else if (n % 17 == 0)
                rtf += "{\\i\\f1 " + word + "}";
            else
                rtf += word;
            rtf += w + 1 < 85 ? " " : "";
        }
        rtf += "\\par\n";
    }
    return rtf + "}";
}
