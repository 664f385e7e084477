// The children of a family that share one computer, as the history keeps
// them: each with a name and a picture, each game under its child (or none:
// "other children"), and the family's few settings. With no child added,
// nothing of this shows anywhere.
#pragma once

#include <QDate>
#include <QString>

#include <QVariantList>

#include <cstdint>
#include <functional>
#include <vector>

class QSqlQuery;

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

// What a change to the family came to.
enum class Change {
    Done,
    NameEmpty,     // the name is empty once trimmed
    NameTooLong,   // more than kMaxNameLength characters
    NameTaken,     // another child has it
    NoSuchChild,   // no child has that number (any more)
    NoSuchAnimal,  // not one of the animals
    TooMany,       // the family has kMaxChildren children already
    NotWritten,    // the history cannot be written: see FamilyWriter::problem()
};

// Changes the family in the history file at `path`, each change in one
// transaction; the file is made, or brought up to this version's layout,
// first. A game that another copy of the game writes meanwhile is kept
// whole: a game of a child removed meanwhile goes to no child.
class FamilyWriter {
public:
    explicit FamilyWriter(QString path);
    ~FamilyWriter();
    FamilyWriter(const FamilyWriter&) = delete;
    FamilyWriter& operator=(const FamilyWriter&) = delete;

    // The family as the file holds it now.
    Family family();
    // A new child with picture `animal`, an animal's id (the callers know
    // the animals; empty is NoSuchAnimal, as for setAnimal()).
    Change add(const QString& name, const QString& animal, std::int64_t* id = nullptr);
    Change rename(std::int64_t child, const QString& name);
    Change setAnimal(std::int64_t child, const QString& animal);
    // The child goes; their games stay, under no child.
    Change remove(std::int64_t child);
    // The games without a child, all of them or those played on `from` or
    // later (by the day on the family's clock when each was played), go to
    // `child`; `moved` says how many.
    Change give(std::int64_t child, const QDate& from, int* moved = nullptr);
    // Practice for `child`, or for the games without a child (0).
    Change setPractice(std::int64_t child, bool on);
    Change setKeypadAlways(bool on);

    // What is wrong with the history, in plain simplified Chinese, after
    // NotWritten.
    QString problem() const { return problem_; }

private:
    bool open();
    Change transaction(const std::function<Change(const Family&, QSqlQuery&)>& change);
    Change exec(QSqlQuery& q, const char* sql, const QVariantList& values);
    Change setSetting(const QString& name, bool on);

    QString path_;
    QString connection_;
    QString problem_;
};

// Reads the family from the history file at `path` without changing it;
// an absent file, or one from before children were kept, has none. Any
// thread may call it, so start-up reads it while the window is built.
Family readFamily(const QString& path);

// How many games the history file at `path` keeps under `child`, or
// without a child (0); 0 when the file is absent or cannot be read.
int gamesOf(const QString& path, std::int64_t child);

}  // namespace history
