// What the play history keeps of each game: when it started, the level, the
// score, how it ended, how long it lasted, and every load the lamb brought
// with the answers given to it. Plain values, shared by the recorder, the
// store and the parents' window.
#pragma once

#include <QDateTime>
#include <QString>

#include <cstdint>
#include <vector>

namespace history {

// How a game ended. The names are stored in the history file and written to
// the exported CSV files, so they never change.
enum class Ending {
    Wrong,    // "wrong": the third wrong entry
    Time,     // "time": the time bar was full
    Help,     // "help": the help button stopped it
    Level,    // "level": the level button dropped it and started a new game
    Restart,  // "restart": the start button dropped it and started a new game
    Closed,   // "closed": the window was closed during the game
    Stopped,  // "stopped": the program was ended from outside (logout, a signal)
};
QString endingName(Ending ending);
// False when `name` is none of the above.
bool endingFromName(const QString& name, Ending& ending);

// "2026-03-01T17:05:09.250+08:00" (or without the milliseconds): the time
// on the wall clock with its offset from UTC written out, also for UTC, so
// that a game's day stays the day it was played wherever it is read.
QString isoWithOffset(const QDateTime& time, bool milliseconds);

// One load brought to the scale, and what the child typed for it.
struct Delivery {
    int amount = 0;         // goods on the scale
    int priorTotal = 0;     // the total on the sign when the cart arrived
    int expectedTotal = 0;  // the right answer: priorTotal + amount
    // Digits typed while the lamb was still walking are judged against 0;
    // they are kept as a load of their own (amount 0, expected total 0),
    // counted among the answers given but never among the sums.
    bool whileWalking = false;
    // The answer clock's ticks (10 ms each) when the right total was typed,
    // which the score, the figures and the CSV files go by; -1 when the
    // load was never answered right.
    std::int32_t answerTicks = -1;
    std::vector<QString> wrongEntries;  // each as it was typed ("12")

    bool answered() const { return answerTicks >= 0; }
};

struct Game {
    std::int64_t id = 0;  // the store's number for it; 0 before it is stored
    QDateTime started;    // local time, with its offset from UTC
    int level = 0;        // 0: 1 to 9 goods a load; 1: 1 to 29
    std::int32_t score = 0;
    Ending ending = Ending::Closed;
    std::int64_t durationMs = 0;       // from the start button to the end
    std::int64_t childId = 0;          // the child who played; 0: none ("other children")
    bool practice = false;             // practice chose the amounts on the scale
    std::vector<Delivery> deliveries;  // in the order they came
};

}  // namespace history
