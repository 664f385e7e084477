// The children's commands of the command line, for adults and schools:
// the same changes the parents' window makes, without a window and without
// the parents' gate.
#pragma once

#include <QString>

#include "history/family.h"

namespace children {

// "there is no child named 'X'; the children are: A, B" (or "no child has
// been added yet"), for a name that is none of `family`'s children.
QString unknownChildText(const QString& name, const history::Family& family);

}  // namespace children
