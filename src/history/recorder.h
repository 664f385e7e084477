// Follows a game as the game window plays it and hands each finished game
// to the history. The game window calls it at a few points (start, arrival,
// each judged entry, each ending) and never waits for it: the file is
// written by a thread of its own, opened at the first finished game.
#pragma once

#include <QElapsedTimer>
#include <QString>

#include <cstdint>
#include <memory>

#include "history/records.h"

namespace history {

class Writer;

class Recorder {
public:
    // Games go to `path` (by default the user's history file).
    explicit Recorder(QString path = QString());
    // Writes what is still queued.
    ~Recorder();
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    // A game of `level` starts now. A game still under way is dropped
    // unrecorded: callers end it first with the reason.
    void start(int level);
    // The cart stood on the scale with `amount` goods, the sign showing
    // `priorTotal`.
    void arrived(int amount, int priorTotal, int expectedTotal);
    // The right total was typed, `answerTicks` ticks of the answer clock
    // after the amount showed.
    void right(std::int32_t answerTicks);
    // An entry judged wrong, as it was typed.
    void wrong(const QString& entry);
    // The game under way ended with `score`; nothing happens when no game is
    // under way, so a second ending of the same game is ignored.
    void end(Ending ending, std::int32_t score);

    // Where games go from the next finished game on (before the first one:
    // the file is opened then).
    void setPath(const QString& path);

    bool underWay() const { return underWay_; }
    // Waits until every finished game has been written or given up.
    void flush();

private:
    // The load the next entry belongs to: the one on the scale, or one of
    // its own for digits typed while the lamb walks.
    Delivery& currentLoad();

    QString path_;
    std::unique_ptr<Writer> writer_;  // made at the first finished game
    Game game_;
    bool underWay_ = false;
    bool waiting_ = false;          // a load stands on the scale, not yet answered right
    QElapsedTimer gameClock_;
};

}  // namespace history
