#include "history/writer.h"

#include <cstdio>
#include <utility>

#include "history/store.h"

namespace history {

Writer::Writer(QString path) : path_(std::move(path)) {}

Writer::~Writer()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable())
        thread_.join();
}

void Writer::submit(Game game)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        queue_.push_back(std::move(game));
        if (!thread_.joinable())
            thread_ = std::thread(&Writer::run, this);
    }
    wake_.notify_one();
}

void Writer::flush()
{
    std::unique_lock<std::mutex> lock(mutex_);
    idle_.wait(lock, [this] { return queue_.empty() && !busy_; });
}

int Writer::written() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return written_;
}

int Writer::failed() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return failed_;
}

void Writer::run()
{
    // The store lives and dies in this thread, as its database connection
    // must.
    Store store(path_);
    bool opened = false;
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (queue_.empty())
            break;  // stopping, and everything is written
        Game game = std::move(queue_.front());
        queue_.pop_front();
        busy_ = true;
        lock.unlock();

        // A file that could not be opened is tried again at the next game:
        // another copy of the game may have let go of it meanwhile (the
        // store itself retries a file that was locked once open).
        if (!opened)
            opened = store.open();
        const bool kept = opened && store.addGame(game);
        if (!kept) {
            std::fprintf(stderr, "pellaro: a game could not be kept in the play history (%s)\n",
                         qPrintable(store.problemText()));
        }

        lock.lock();
        busy_ = false;
        ++(kept ? written_ : failed_);
        if (queue_.empty())
            idle_.notify_all();
    }
    idle_.notify_all();
}

}  // namespace history
