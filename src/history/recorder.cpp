#include "history/recorder.h"

#include <QDateTime>
#include <QObject>
#include <QThread>

#include <utility>

#include "history/store.h"

namespace history {

Recorder::Recorder(QString path) : path_(std::move(path)) {}

Recorder::~Recorder()
{
    stopWriting();
}

void Recorder::setPath(const QString& path)
{
    if (path != path_) {
        stopWriting();
        path_ = path;
    }
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
    waiting_ = false;
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
    waiting_ = true;
}

Delivery& Recorder::currentLoad()
{
    // Typed while the lamb walks: the game judges it against 0.
    if (!waiting_ && (game_.deliveries.empty() || !game_.deliveries.back().whileWalking ||
                      game_.deliveries.back().answered()))
        game_.deliveries.emplace_back().whileWalking = true;
    return game_.deliveries.back();
}

void Recorder::right(std::int32_t answerTicks)
{
    if (!underWay_)
        return;
    currentLoad().answerTicks = answerTicks;
    waiting_ = false;
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
    waiting_ = false;
    game_.ending = ending;
    game_.score = score;
    game_.durationMs = gameClock_.elapsed();
    if (!writer_) {
        writer_ = std::make_unique<QThread>();
        inWriter_ = std::make_unique<QObject>();
        inWriter_->moveToThread(writer_.get());
        writer_->start();
        QMetaObject::invokeMethod(inWriter_.get(), [this, path = path_.isEmpty() ? Store::defaultPath() : path_] {
            store_ = std::make_unique<Store>(path);
            store_->open();
        });
    }
    // In turn, on the writer's thread.
    QMetaObject::invokeMethod(inWriter_.get(), [this, game = std::move(game_)] {
        if (!store_->addGame(game))
            qWarning("pellaro: a game could not be kept in the play history (%s)", qPrintable(store_->lastError()));
    });
    game_ = Game();
}

void Recorder::flush()
{
    if (inWriter_)
        QMetaObject::invokeMethod(inWriter_.get(), [] {}, Qt::BlockingQueuedConnection);
}

void Recorder::stopWriting()
{
    if (!writer_)
        return;
    QMetaObject::invokeMethod(inWriter_.get(), [this] { store_.reset(); }, Qt::BlockingQueuedConnection);
    writer_->quit();
    writer_->wait();
    inWriter_.reset();
    writer_.reset();
}

}  // namespace history
