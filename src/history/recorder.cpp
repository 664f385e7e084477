#include "history/recorder.h"

#include <QDateTime>
#include <QObject>
#include <QThread>

#include <utility>

#include "history/store.h"

namespace history {

Recorder::Recorder() = default;

// Writes what is still to be written and ends the writing thread.
Recorder::~Recorder()
{
    if (!writer_)
        return;
    QMetaObject::invokeMethod(inWriter_.get(), [this] { store_.reset(); }, Qt::BlockingQueuedConnection);
    writer_->quit();
    writer_->wait();
}

void Recorder::start(int level, std::int64_t childId, bool practice)
{
    game_ = Game();
    const QDateTime now = QDateTime::currentDateTime();
    // Local time with its offset, so the day it was played stays the day it
    // was played wherever the file is read.
    game_.started = now.toOffsetFromUtc(now.offsetFromUtc());
    game_.level = level;
    game_.childId = childId;
    game_.practice = practice;
    underWay_ = true;
    gameClock_.start();
}

void Recorder::arrived(int amount, int priorTotal, int expectedTotal)
{
    if (!underWay_)
        return;
    Delivery& load = game_.deliveries.emplace_back();
    load.amount = amount;
    load.priorTotal = priorTotal;
    load.expectedTotal = expectedTotal;
}

Delivery& Recorder::currentLoad()
{
    // Once the last load is answered (or before the first), digits are
    // typed while the lamb walks: the game judges them against 0.
    if (game_.deliveries.empty() || game_.deliveries.back().answered())
        game_.deliveries.emplace_back().whileWalking = true;
    return game_.deliveries.back();
}

void Recorder::right(std::int32_t answerTicks)
{
    if (!underWay_)
        return;
    currentLoad().answerTicks = answerTicks;
}

void Recorder::wrong(const QString& entry)
{
    if (!underWay_)
        return;
    currentLoad().wrongEntries.push_back(entry);
}

void Recorder::end(Ending ending, std::int32_t score)
{
    if (!underWay_)
        return;
    underWay_ = false;
    game_.ending = ending;
    game_.score = score;
    game_.durationMs = gameClock_.elapsed();
    startWriting();
    // In turn, on the writer's thread.
    QMetaObject::invokeMethod(inWriter_.get(), [this, game = std::move(game_)] {
        if (!store_->addGame(game))
            qWarning("pellaro: a game could not be kept in the play history (%s)", qPrintable(store_->lastError()));
    });
    game_ = Game();
}

void Recorder::startWriting()
{
    if (writer_)
        return;
    writer_ = std::make_unique<QThread>();
    inWriter_ = std::make_unique<QObject>();
    inWriter_->moveToThread(writer_.get());
    writer_->start();
    QMetaObject::invokeMethod(inWriter_.get(), [this, path = Store::defaultPath()] {
        store_ = std::make_unique<Store>(path);
        store_->open();
    });
}

void Recorder::readGames(std::function<void(const std::vector<Game>&)> use)
{
    startWriting();
    QMetaObject::invokeMethod(inWriter_.get(), [this, use = std::move(use)] { use(store_->loadAll()); });
}

void Recorder::flush()
{
    if (inWriter_)
        QMetaObject::invokeMethod(inWriter_.get(), [] {}, Qt::BlockingQueuedConnection);
}

}  // namespace history
