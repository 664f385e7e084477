// Shows the parents' gate and, once it is passed, the family's settings over
// the history file FILE, as the parents' window opens them: for looking at
// them on a screen. Not installed.
//
//   show_family FILE     prints "changed" or "unchanged" when closed,
//                        "refused" when the gate is cancelled
#include <QApplication>

#include <cstdio>

#include "parents/familydialog.h"
#include "parents/gate.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: show_family FILE\n");
        return 2;
    }
    if (!history::askParents(nullptr)) {
        std::printf("refused\n");
        return 1;
    }
    history::FamilyDialog dialog(QString::fromLocal8Bit(argv[1]));
    dialog.exec();
    std::printf("%s\n", dialog.changed() ? "changed" : "unchanged");
    return 0;
}
