#include "platform/firstpaint.h"

#include <QEvent>
#include <QObject>
#include <QPointer>
#include <QTimer>

namespace platform {

namespace {

class PaintWatch : public QObject {
public:
    PaintWatch(QObject* target, std::function<void()> done) : QObject(target), done_(std::move(done))
    {
        target->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const QEvent::Type type = event->type();
        if (!fired_ && (type == QEvent::Paint || type == QEvent::UpdateRequest || type == QEvent::Expose)) {
            fired_ = true;
            watched->removeEventFilter(this);
            QTimer::singleShot(0, this, [this] {
                done_();
                deleteLater();
            });
        }
        return false;
    }

private:
    std::function<void()> done_;
    bool fired_ = false;
};

}  // namespace

void afterNextPaint(QObject* target, std::function<void()> done)
{
    if (target && done)
        new PaintWatch(target, std::move(done));
}

}  // namespace platform
