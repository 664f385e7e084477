// Times the parents' window on the history in its usual place
// ($XDG_DATA_HOME/pellaro/history.sqlite), as `pellaro --progress` opens
// it: from reading the file to the window's first frame; then, once the
// other children's games are read too (as they are meanwhile, for a
// window of one child of several), one switch of the period (to all of it,
// or back to 30 days), drawn at once, and with children one switch to the
// next child, drawn at once. Prints "progress: open+draw X ms[, others
// read at R ms], period switch Y ms[, child switch Z ms]" and quits.
#include <QApplication>
#include <QElapsedTimer>
#include <QThread>

#include <cstdio>

#include "parents/progresswindow.h"
#include "platform/firstpaint.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QElapsedTimer clock;
    clock.start();
    const auto window = history::openProgressWindow();
    platform::afterNextPaint(window.get(), [&window, &clock] {
        const double openDraw = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        std::printf("progress: open+draw %.1f ms", openDraw);
        while (!window->otherGamesRead())
            QThread::msleep(1);
        if (window->family().children.size() >= 2)
            std::printf(", others read at %.1f ms", static_cast<double>(clock.nsecsElapsed()) / 1e6);
        QElapsedTimer switching;
        switching.start();
        window->choose(window->level(),
                       window->period() == history::Period::All ? history::Period::Month : history::Period::All);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        window->repaint();
        const double switchMs = static_cast<double>(switching.nsecsElapsed()) / 1e6;
        std::printf(", period switch %.1f ms", switchMs);
        const std::vector<history::Child>& children = window->family().children;
        if (children.size() >= 2) {
            switching.restart();
            window->chooseChild(children[0].id == window->child() ? children[1].id : children[0].id);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
            window->repaint();
            std::printf(", child switch %.1f ms", static_cast<double>(switching.nsecsElapsed()) / 1e6);
        }
        std::printf("\n");
        std::fflush(stdout);
        QCoreApplication::exit(0);
    });
    window->show();
    return QApplication::exec();
}
