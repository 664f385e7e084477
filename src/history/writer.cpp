#include "history/writer.h"

#include <QtGlobal>

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

void Writer::run()
{
    // The store lives and dies in this thread, as its database connection
    // must. A file found locked is tried again at the next game.
    Store store(path_);
    store.open();
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (queue_.empty())
            break;  // stopping, and everything is written
        Game game = std::move(queue_.front());
        queue_.pop_front();
        busy_ = true;
        lock.unlock();

        if (!store.addGame(game))
            qWarning("pellaro: a game could not be kept in the play history (%s)", qPrintable(store.lastError()));

        lock.lock();
        busy_ = false;
        if (queue_.empty())
            idle_.notify_all();
    }
    idle_.notify_all();
}

}  // namespace history
