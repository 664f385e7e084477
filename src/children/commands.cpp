#include "children/commands.h"

#include <QStringList>

#include <cstdio>

#include "assets/animals.h"

namespace children {

namespace {

QString childrenList(const history::Family& family)
{
    QStringList names;
    for (const history::Child& c : family.children)
        names << c.name;
    return names.join(QStringLiteral(", "));
}

QString animalsList()
{
    QStringList ids;
    for (const assets::Animal& a : assets::animals())
        ids << a.id;
    return ids.join(QStringLiteral(", "));
}

int refuse(const QString& why)
{
    std::fprintf(stderr, "pellaro: %s\n", qPrintable(why));
    return 2;
}

// The exit code of `change`, with its words.
int report(history::Change change, const history::FamilyWriter& writer, const QString& name,
           const QString& picture, const history::Family& family, const QString& done)
{
    using history::Change;
    switch (change) {
    case Change::Done:
        std::printf("pellaro: %s\n", qPrintable(done));
        return 0;
    case Change::NameEmpty:
        return refuse(QStringLiteral("a child's name cannot be empty"));
    case Change::NameTooLong:
        return refuse(QStringLiteral("'%1' is longer than %2 characters").arg(name).arg(history::kMaxNameLength));
    case Change::NameTaken:
        return refuse(QStringLiteral("there is a child named '%1' already; the children are: %2")
                          .arg(history::cleanName(name), childrenList(family)));
    case Change::NoSuchChild:
        return refuse(unknownChildText(name, family));
    case Change::NoSuchAnimal:
        return refuse(QStringLiteral("'%1' is not one of the animals: %2").arg(picture, animalsList()));
    case Change::TooMany:
        return refuse(QStringLiteral("a family has at most %1 children; the children are: %2")
                          .arg(history::kMaxChildren)
                          .arg(childrenList(family)));
    case Change::NotWritten:
        break;
    }
    std::fprintf(stderr, "pellaro: the play history cannot be written: %s\n", qPrintable(writer.problem()));
    return 1;
}

}  // namespace

QString unknownChildText(const QString& name, const history::Family& family)
{
    if (family.children.empty())
        return QStringLiteral("there is no child named '%1': no child has been added yet").arg(name);
    return QStringLiteral("there is no child named '%1'; the children are: %2").arg(name, childrenList(family));
}

int runCommand(Command command, const QString& path, const QString& name, const QString& newName,
               const QString& picture)
{
    // Who the children are is read without writing, so a command that
    // names nobody changes nothing, not even by making the file.
    const history::Family family = history::readFamily(path);
    if (command == Command::List) {
        for (const history::Child& c : family.children)
            std::printf("%s\t%s\n", qPrintable(c.name), qPrintable(c.animal));
        return 0;
    }
    if (!picture.isEmpty() && !assets::findAnimal(picture))
        return report(history::Change::NoSuchAnimal, history::FamilyWriter(path), name, picture, family, {});
    const bool forOthers = (command == Command::PracticeOn || command == Command::PracticeOff) && name.isEmpty();
    const history::Child* child = family.find(name);
    if (command != Command::Add && !forOthers && !child)
        return report(history::Change::NoSuchChild, history::FamilyWriter(path), name, picture, family, {});

    history::FamilyWriter writer(path);
    switch (command) {
    case Command::Add: {
        std::int64_t id = 0;
        std::vector<QString> taken;
        for (const history::Child& c : family.children)
            taken.push_back(c.animal);
        const QString animal = picture.isEmpty() ? assets::firstFreeAnimal(taken) : assets::findAnimal(picture)->id;
        const history::Change change = writer.add(name, animal, &id);
        const history::Family now = writer.family();
        return report(change, writer, name, picture, change == history::Change::Done ? now : family,
                      QStringLiteral("added %1 (%2)").arg(history::cleanName(name), animal));
    }
    case Command::Rename:
        return report(writer.rename(child->id, newName), writer, newName, picture, family,
                      QStringLiteral("%1 is now called %2").arg(child->name, history::cleanName(newName)));
    case Command::Remove:
        return report(writer.remove(child->id), writer, name, picture, family,
                      QStringLiteral("removed %1; their games stay, under other children").arg(child->name));
    case Command::SetPicture:
        return report(writer.setAnimal(child->id, assets::findAnimal(picture)->id), writer, name, picture, family,
                      QStringLiteral("%1's picture is now the %2").arg(child->name, assets::findAnimal(picture)->id));
    case Command::PracticeOn:
    case Command::PracticeOff: {
        const bool on = command == Command::PracticeOn;
        return report(writer.setPractice(forOthers ? 0 : child->id, on), writer, name, picture, family,
                      QStringLiteral("practice is %1 for %2")
                          .arg(on ? QStringLiteral("on") : QStringLiteral("off"),
                               forOthers ? QStringLiteral("the games of no child") : child->name));
    }
    case Command::List:
        break;
    }
    return 0;
}

}  // namespace children
