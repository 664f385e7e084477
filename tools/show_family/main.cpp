// Shows the parents' gate, or the family's settings over the history file
// FILE, for looking at them on a screen. Not installed.
//
//   show_family --gate   prints "passed" or "refused" when it closes
//   show_family FILE     prints "changed" or "unchanged" when it closes
#include <QApplication>

#include <cstdio>
#include <cstring>

#include "parents/familydialog.h"
#include "parents/gate.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: show_family --gate | FILE\n");
        return 2;
    }
    if (std::strcmp(argv[1], "--gate") == 0) {
        std::printf("%s\n", history::askParents(nullptr) ? "passed" : "refused");
        return 0;
    }
    history::FamilyDialog dialog(QString::fromLocal8Bit(argv[1]));
    dialog.exec();
    std::printf("%s\n", dialog.changed() ? "changed" : "unchanged");
    return 0;
}
