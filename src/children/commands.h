// The children's commands of the command line, for adults and schools:
// the changes the parents' window makes, without a window and without the
// parents' gate.
#pragma once

#include <QString>

#include "history/family.h"

namespace children {

enum class Command { List, Add, Rename, Remove, SetPicture, PracticeOn, PracticeOff };

// Runs `command` on the family kept in the history file at `path`: `name`
// is the child's (the new child's for Add), `newName` the new name for
// Rename, `picture` an animal for Add (may be empty) and SetPicture; for
// PracticeOn and PracticeOff `name` may be empty: the games of no child.
// Prints what was done on standard output and what is wrong on standard
// error; returns the exit code: 0, 2 for a name or an animal that will not
// do (nothing changed), 1 for a history that cannot be written.
int runCommand(Command command, const QString& path, const QString& name, const QString& newName,
               const QString& picture);

// "there is no child named 'X'; the children are: A, B" (or "no child has
// been added yet"), for a name that is none of `family`'s children.
QString unknownChildText(const QString& name, const history::Family& family);

}  // namespace children
