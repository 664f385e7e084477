// bare_window: the yardstick of scripts/bench_startup.sh. A Qt Widgets
// program that shows one empty window of the game's size (561 x 449, fixed,
// like the game's main window), or with --fullscreen one that fills the
// screen, and does nothing else.
#include <QApplication>
#include <QWidget>

#include <cstring>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("bare"));
    window.setFixedSize(561, 449);
    if (argc > 1 && std::strcmp(argv[1], "--fullscreen") == 0) {
        window.setMinimumSize(0, 0);
        window.setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        window.showFullScreen();
    } else {
        window.show();
    }
    return QApplication::exec();
}
