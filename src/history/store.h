// The play history on disk: one SQLite file, history.sqlite, in the user's
// data folder. Games go in whole, one transaction each; the parents' window
// reads them all back. A file that is not a readable history is set aside,
// never deleted or overwritten, and a fresh one is started.
#pragma once

#include <QString>

#include <vector>

#include "history/records.h"

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

    // $XDG_DATA_HOME/pellaro/history.sqlite (by default under ~/.local/share).
    static QString defaultPath();

    explicit Store(QString path = defaultPath());
    ~Store();
    Store(const Store&) = delete;
    Store& operator=(const Store&) = delete;

    // Opens the file, making it (and its folder) when missing and upgrading
    // an older schema; true when games can be read (and, in state Ready or
    // SetAside, written).
    bool open();
    State state() const { return state_; }
    // Where a damaged file was put (state SetAside), else empty.
    QString setAsidePath() const { return setAsidePath_; }
    // What is wrong, in plain simplified Chinese, for the parents' window;
    // empty while all is well.
    QString problemText() const;
    QString path() const { return path_; }

    // Stores one finished game with its loads and entries in one
    // transaction; false (and nothing stored) when it cannot.
    bool addGame(const Game& game);

    // Every game, oldest first, with its loads in order.
    std::vector<Game> loadAll();

private:
    QString path_;
    QString connection_;  // the Qt Sql connection's name
    State state_ = State::Closed;
    QString setAsidePath_;
};

}  // namespace history
