// The Song-style font the captions ask for ("宋体"), standing in for it
// with an installed Song/Ming CJK font where it is missing.
#pragma once

#include <QFont>

namespace vb {

// "宋体" at `pixelSize` pixels. The first of its stand-ins that is installed
// comes first among the font's families: a style sheet passes on only the
// first family, and one that is missing would leave the Latin letters and
// digits to whatever font the system falls back on.
QFont songFont(int pixelSize, bool bold = false);

}  // namespace vb
