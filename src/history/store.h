// The play history on disk: one SQLite file, history.sqlite, in the user's
// data folder, readable by its owner only. Games go in whole, one
// transaction each; the parents' window reads them all back. A file that is
// not a readable history is set aside, never deleted or overwritten, and a
// fresh one is started.
#pragma once

#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

#include "history/records.h"

class QSqlDatabase;

namespace history {

class Store {
public:
    // What opening found, for the parents' window to tell in plain words.
    enum class State {
        Closed,    // not opened yet
        Ready,     // open and writable
        SetAside,  // the old file was not a readable history: it was renamed
                   // to setAsidePath() and a fresh history started
        ReadOnly,  // can be read but not written (games are not kept)
        Locked,    // another program held it too long
        TooNew,    // made by a newer version of the game: left untouched
        Failed,    // cannot be opened or made at all (folder not writable, ...)
    };
    // How long opening and writing wait for another copy of the game.
    static constexpr int kDefaultBusyTimeoutMs = 10000;
    // $XDG_DATA_HOME/pellaro/history.sqlite (by default under ~/.local/share).
    static QString defaultPath();

    explicit Store(QString path = defaultPath());
    ~Store();
    Store(const Store&) = delete;
    Store& operator=(const Store&) = delete;

    // Takes effect at the next open().
    void setBusyTimeout(int ms) { busyTimeoutMs_ = ms; }
    // Opens the file, making it (and its folder) when missing and upgrading
    // an older layout (layout.h; a newer one is left as it is: TooNew);
    // true when games can be read (and, in state Ready or SetAside,
    // written). The Store is then used from the thread that opened it,
    // through a connection of its own.
    bool open();
    bool writable() const { return writable_; }
    State state() const { return state_; }
    // Where a damaged file was put (state SetAside), else empty.
    QString setAsidePath() const { return setAsidePath_; }
    // What is wrong, in plain simplified Chinese; empty while all is well.
    QString problemText() const;
    QString path() const { return path_; }

    // Stores one finished game in one transaction; false (and nothing
    // stored) when it cannot. A store that found the file Locked opens it
    // again first: another copy of the game may have let go of it since.
    bool addGame(const Game& game);
    // The number the last successful addGame() gave its game; 0 before.
    std::int64_t lastId() const { return lastId_; }
    // Why the last addGame() failed, for logs; empty after one that did not.
    QString lastError() const { return lastError_; }
    // Every game with its loads in order, oldest first by the moment it
    // started (games without a readable start first), then by number. With
    // `child` 0 or more, only the games shown under that child (0: the games
    // of no child, or of a child not in the family), or with `except` all
    // but those; a file from before children were kept has every game
    // under no child.
    std::vector<Game> loadAll(std::int64_t child = -1, bool except = false);
    // The child the latest game is shown under, as loadAll() counts them;
    // 0 also when there is no game.
    std::int64_t latestChild();

private:
    struct Statements;

    QSqlDatabase connect(bool readOnly);
    State probe();
    bool openWritable();
    bool readOnly(State state);
    bool setAside();
    bool fail(const QString& why, State state = State::Failed);
    void closeConnection();

    QString path_;
    QString connection_;  // the Qt Sql connection's name
    State state_ = State::Closed;
    QString setAsidePath_;
    QString detail_;  // what went wrong, in words, for problemText()
    int busyTimeoutMs_ = kDefaultBusyTimeoutMs;
    bool readable_ = false;  // our tables are there to be read
    bool writable_ = false;
    std::int64_t lastId_ = 0;
    QString lastError_;
    std::unique_ptr<Statements> statements_;  // the prepared inserts
};

}  // namespace history
