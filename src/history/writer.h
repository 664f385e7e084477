// Keeps finished games in the history file without ever making the game
// wait: games are handed to a thread of their own, which opens the file at
// the first game (never at start-up) and writes each game in one
// transaction. A locked, read-only or damaged file costs the game nothing;
// what went wrong is the store's to tell the parents' window.
#pragma once

#include <QString>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "history/records.h"

namespace history {

class Writer {
public:
    explicit Writer(QString path);
    // Writes what is still queued (waiting at most for one busy timeout of
    // the file) and ends the thread.
    ~Writer();
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;

    // Queues `game` and returns at once.
    void submit(Game game);
    // Waits until every game submitted so far has been written or given up.
    void flush();

private:
    void run();

    const QString path_;
    std::mutex mutex_;
    std::condition_variable wake_;   // a game was queued, or the writer is to stop
    std::condition_variable idle_;   // the queue ran empty
    std::deque<Game> queue_;
    bool busy_ = false;              // the thread is writing a game taken off the queue
    bool stopping_ = false;
    std::thread thread_;             // started at the first game
};

}  // namespace history
