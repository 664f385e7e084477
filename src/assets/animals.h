// The animals a child's own picture can be: their names and their portraits,
// drawn from the SVG sources at ":/animals/<id>.svg" at any size, sharp at
// every device pixel ratio.
#pragma once

#include <QImage>
#include <QString>

#include <vector>

namespace assets {

struct Animal {
    QString id;    // "lamb", "cat", ...: what the history and the command line keep
    QString name;  // "小羊", "小猫", ...: what the parents read
};

// Every animal, in the order the parents are offered them.
const std::vector<Animal>& animals();

// The animal `idOrName` names, by its id or its Chinese name (any case for
// the id); nullptr when none does.
const Animal* findAnimal(const QString& idOrName);

// The first animal that none of `taken` (animals' ids) is, or the first of
// all when every one is: a new child's picture unless one is chosen.
QString firstFreeAnimal(const std::vector<QString>& taken);

// The id of the picture shown for a child with no picture of their own: a
// visitor, "another child".
inline const QString kVisitorPicture = QStringLiteral("visitor");

// The portrait of animal `id` (or kVisitorPicture) `devicePixels` square,
// transparent outside its round medallion; an unknown id gives the
// visitor's picture. Each is drawn once per size and kept; any thread may
// ask, so a start-up thread can draw them ahead of the window.
QImage animalPicture(const QString& id, int devicePixels);

}  // namespace assets
