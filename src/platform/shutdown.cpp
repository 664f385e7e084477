#include "platform/shutdown.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QPointer>
#include <QSocketNotifier>
#include <QWidget>

#include <xcb/xcb.h>

#include "platform/stage.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr int kEndSignals[] = {SIGTERM, SIGINT, SIGHUP};

// The signal handler only writes a byte into this pipe (the one thing it may
// safely do); the event loop reads it and ends the program in good order.
int endPipe[2] = {-1, -1};

void onEndSignal(int)
{
    const int savedErrno = errno;
    const char byte = 1;
    // A full pipe already holds a request, so a failed write loses nothing.
    [[maybe_unused]] const ssize_t written = write(endPipe[1], &byte, 1);
    errno = savedErrno;
}

void setEndSignalsHandler(void (*handler)(int))
{
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int sig : kEndSignals)
        sigaction(sig, &action, nullptr);
}

class EndWatch : public QObject, public QAbstractNativeEventFilter {
public:
    EndWatch(QWidget* mainWindow, std::function<void()> end)
        : QObject(mainWindow), mainWindow_(mainWindow), end_(std::move(end))
    {
        if (endPipe[0] >= 0 || pipe2(endPipe, O_CLOEXEC | O_NONBLOCK) == 0) {
            auto* notifier = new QSocketNotifier(endPipe[0], QSocketNotifier::Read, this);
            connect(notifier, &QSocketNotifier::activated, this, &EndWatch::signalled);
            setEndSignalsHandler(onEndSignal);
        }
        QCoreApplication::instance()->installNativeEventFilter(this);
    }

    ~EndWatch() override
    {
        if (endPipe[0] >= 0)
            setEndSignalsHandler(SIG_DFL);
    }

    // Sees every X event before Qt handles it; only the destruction of the
    // main window's own native window matters here. A window that Qt itself
    // destroys or re-creates has left internalWinId() by the time its event
    // arrives, so only another program's doing ends this one.
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override
    {
        if (eventType != "xcb_generic_event_t")
            return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7f) != XCB_DESTROY_NOTIFY)
            return false;
        const auto* destroyed = static_cast<const xcb_destroy_notify_event_t*>(message);
        if (mainWindow_ && (mainWindow_->internalWinId() == destroyed->window || stageShows(destroyed->window)))
            QMetaObject::invokeMethod(this, &EndWatch::end, Qt::QueuedConnection);
        return false;
    }

private:
    // True when `window` is the full-screen stage that shows the main window.
    bool stageShows(xcb_window_t window) const
    {
        const vb::Stage* stage = vb::Stage::of(mainWindow_);
        return stage && stage->internalWinId() == window;
    }

    void signalled()
    {
        char bytes[64];
        while (read(endPipe[0], bytes, sizeof bytes) > 0) {
        }
        end();
    }

    void end()
    {
        if (end_)
            end_();
    }

    QPointer<QWidget> mainWindow_;
    std::function<void()> end_;
};

}  // namespace

void onEndRequest(QWidget* mainWindow, std::function<void()> end)
{
    new EndWatch(mainWindow, std::move(end));
}

}  // namespace platform
