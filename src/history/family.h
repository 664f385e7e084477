// The children of a family that share one computer, as the history keeps
// them: each with a name and a picture, each game under its child (or none:
// "other children"), and the family's few settings. With no child added,
// nothing of this shows anywhere.
#pragma once

#include <QString>

#include <cstdint>
#include <vector>

namespace history {

struct Child {
    std::int64_t id = 0;  // the history's number for the child
    QString name;
    QString animal;       // an animal's id ("lamb", "cat", ...)
    bool practice = false;  // the lamb brings more of the sums this child finds hard
};

struct Family {
    std::vector<Child> children;  // in the order they were added
    bool practiceForOthers = false;  // practice for the games without a child
    bool keypadAlways = false;       // the on-screen keypad always shown
    // The child named `name` (as nameKey() compares names), or nullptr.
    const Child* find(const QString& name) const;
};

// The most children a family has: the digit keys 1 to 9 choose them.
inline constexpr int kMaxChildren = 9;
// A child's name, in characters (any script).
inline constexpr int kMaxNameLength = 16;

// A name as it is kept: leading and trailing blanks trimmed, line breaks
// and tabs made blanks, in the canonical Unicode form.
QString cleanName(const QString& name);
// What two names are compared by: the clean names, ignoring case.
QString nameKey(const QString& name);

// Why a name cannot be `child`'s (0 for a new child): empty, longer than
// kMaxNameLength characters, or another child's already; NameOk when it can.
enum class NameCheck { NameOk, Empty, TooLong, Taken };
NameCheck checkName(const QString& name, const Family& family, std::int64_t child = 0);

// Reads the family from the history file at `path` without changing it;
// an absent file, or one from before children were kept, has none. Any
// thread may call it, so start-up reads it while the window is built.
Family readFamily(const QString& path);

}  // namespace history
