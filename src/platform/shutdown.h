// Requests to end the program that come from outside its windows: the
// signals a desktop sends at logout or shutdown (SIGTERM, SIGHUP), Ctrl+C in
// a terminal (SIGINT), and the main window destroyed by another X client.
#pragma once

#include <functional>

class QWidget;

namespace platform {

// From now on runs `end` from the event loop of the user-interface thread
// whenever the process gets SIGTERM, SIGINT or SIGHUP, or the native window
// of `mainWindow` is destroyed by another program. `end` is expected to close
// the windows and leave the event loop. A signal that arrives while a handler
// runs is answered as soon as the handler yields or returns. The watch lives
// as long as `mainWindow`; after it the signals have their default effect
// again.
void onEndRequest(QWidget* mainWindow, std::function<void()> end);

}  // namespace platform
