// Follows a game as the game window plays it and keeps each finished game
// in the history. The game window calls it at a few points (start, arrival,
// each judged entry, each ending) and never waits for it: the file is
// opened and written on a thread of its own, from the first finished game
// on (never at start-up), one transaction a game. A locked, read-only or
// damaged file costs the game nothing; what went wrong is the store's to
// tell the parents' window.
#pragma once

#include <QElapsedTimer>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "history/records.h"

class QObject;
class QThread;

namespace history {

class Store;

class Recorder {
public:
    // Games go to the user's history file (Store::defaultPath()), as it is
    // named when the first game ends.
    Recorder();
    ~Recorder();
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    // A game of `level` starts now, played by child `childId` (0: none),
    // with practice choosing the amounts or not; one still under way is
    // dropped unrecorded (callers end it first, with the reason).
    void start(int level, std::int64_t childId = 0, bool practice = false);
    // The cart stood on the scale with `amount` goods, the sign showing
    // `priorTotal`.
    void arrived(int amount, int priorTotal, int expectedTotal);
    // The right total was typed, `answerTicks` ticks of the answer clock
    // after the amount showed; or an entry was judged wrong, as typed.
    void right(std::int32_t answerTicks);
    void wrong(const QString& entry);
    // The game under way ended with `score`; a second ending of the same
    // game is ignored.
    void end(Ending ending, std::int32_t score);

    bool underWay() const { return underWay_; }
    // Waits until every finished game has been written or given up.
    void flush();

    // Runs `use` on the writing thread with every game kept (oldest first,
    // games finished before this call included), so that what is worked
    // out from years of them never holds up the game.
    void readGames(std::function<void(const std::vector<Game>&)> use);

private:
    // The writing thread, started when first needed.
    void startWriting();

    // The load the next entry belongs to: the one on the scale until it is
    // answered right, or one of its own for digits typed while the lamb walks.
    Delivery& currentLoad();

    // The thread that writes, started at the first finished game; the
    // store is made, used and destroyed there, as its connection must be.
    std::unique_ptr<QThread> writer_;
    std::unique_ptr<QObject> inWriter_;  // what runs there runs in its name
    std::unique_ptr<Store> store_;
    Game game_;
    bool underWay_ = false;
    QElapsedTimer gameClock_;
};

}  // namespace history
