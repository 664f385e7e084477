// The parents' gate: before the family's settings open, a number written in
// Chinese numerals is to be typed in digits. A parent does it at a glance; a
// child who cannot yet read the numerals does not get past it.
#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace history {

// `n` (1 to 9999) in Chinese numerals: 3052 "三千零五十二", 4010
// "四千零一十", 12 "十二"; an empty string out of range.
QString chineseNumeral(int n);

// Shows the gate over `parent` and waits: true once the number shown is
// typed, false when the parent cancels or closes it. A wrong answer says so
// and shows another number. `random` gives numbers in [0, 1) that choose the
// numbers shown (QRandomGenerator::global() when empty).
bool askParents(QWidget* parent, const std::function<double()>& random = {});

}  // namespace history
