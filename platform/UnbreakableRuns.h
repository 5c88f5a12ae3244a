#pragma once

class QTextDocument;

// Finds text that word wrap cannot break.
//
// Why it exists: Qt's word wrap, on every line it fills, looks ahead to the
// next place a line may break. In a run with no such place (a pasted hex
// dump, base64, a long URL list without spaces) that look-ahead crosses the
// rest of the run each time, so the paragraph lays out in time quadratic in
// its length: 200,000 letters take seconds. Past `Limit` letters the control
// breaks lines anywhere instead, which is linear.
namespace UnbreakableRuns {

// Longest run, in characters, that word wrap is left to lay out.
constexpr int Limit = 10'000;

// True when a paragraph from `fromPosition` to `toPosition` (inclusive; -1:
// to the end) holds a run longer than `Limit` with no line break opportunity.
bool Any(const QTextDocument &document, int fromPosition = 0, int toPosition = -1);

} // namespace UnbreakableRuns
