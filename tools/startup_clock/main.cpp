// startup_clock: how long a program takes from its start to its first
// top-level window being mapped on the X server.
//
//   startup_clock [--rss-after MS] [--timeout MS] -- PROGRAM [ARGS...]
//
// The clock watches the root window's children (SubstructureNotify) before
// it starts the program, takes the time, forks and execs it, and stops the
// clock at the first MapNotify of a top-level window that is not
// override-redirect (a tooltip or menu) and whose _NET_WM_PID, when set, is
// the program's. It prints one line, `map_ms=12.345`, and with --rss-after
// also `rss_kib=N`: the program's resident memory MS milliseconds after the
// window was mapped. The program is then killed. Exit code 0 when a window
// was mapped; 1 when the program ended or the timeout passed first; 2 for a
// bad command line or no X display.
#include <xcb/xcb.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

namespace {

double nowMs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

xcb_atom_t atomNamed(xcb_connection_t* c, const char* name)
{
    xcb_intern_atom_reply_t* reply =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(reply);
    return atom;
}

// The window's _NET_WM_PID, or 0 when it has none.
pid_t windowPid(xcb_connection_t* c, xcb_window_t window, xcb_atom_t pidAtom)
{
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        c, xcb_get_property(c, 0, window, pidAtom, XCB_ATOM_CARDINAL, 0, 1), nullptr);
    pid_t pid = 0;
    if (reply && reply->format == 32 && xcb_get_property_value_length(reply) >= 4)
        pid = static_cast<pid_t>(*static_cast<const uint32_t*>(xcb_get_property_value(reply)));
    std::free(reply);
    return pid;
}

long residentKib(pid_t pid)
{
    const std::string path = "/proc/" + std::to_string(pid) + "/status";
    FILE* f = std::fopen(path.c_str(), "r");
    if (!f)
        return -1;
    char line[256];
    long kib = -1;
    while (std::fgets(line, sizeof line, f))
        if (std::sscanf(line, "VmRSS: %ld", &kib) == 1)
            break;
    std::fclose(f);
    return kib;
}

void endChild(pid_t pid)
{
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

int usage()
{
    std::fputs("usage: startup_clock [--rss-after MS] [--timeout MS] -- PROGRAM [ARGS...]\n", stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    int rssAfterMs = -1;
    int timeoutMs = 30000;
    int i = 1;
    for (; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--") {
            ++i;
            break;
        }
        if ((arg == "--rss-after" || arg == "--timeout") && i + 1 < argc) {
            (arg == "--timeout" ? timeoutMs : rssAfterMs) = std::atoi(argv[++i]);
            continue;
        }
        return usage();
    }
    if (i >= argc)
        return usage();

    int screenNumber = 0;
    xcb_connection_t* c = xcb_connect(nullptr, &screenNumber);
    if (const int error = xcb_connection_has_error(c)) {
        const char* display = std::getenv("DISPLAY");
        std::fprintf(stderr, "startup_clock: cannot open the X display %s (xcb error %d)\n", display ? display : "",
                     error);
        return 2;
    }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int s = 0; s < screenNumber && it.rem; ++s)
        xcb_screen_next(&it);
    const xcb_window_t root = it.data->root;
    const xcb_atom_t pidAtom = atomNamed(c, "_NET_WM_PID");

    // The selection is in force once the server has answered a request sent
    // after it; events from before (windows of an earlier run) are dropped.
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_void_cookie_t selected = xcb_change_window_attributes_checked(c, root, XCB_CW_EVENT_MASK, &mask);
    if (xcb_generic_error_t* error = xcb_request_check(c, selected)) {
        std::fprintf(stderr, "startup_clock: cannot watch the root window (X error %d)\n", error->error_code);
        std::free(error);
        return 2;
    }
    while (xcb_generic_event_t* stale = xcb_poll_for_event(c))
        std::free(stale);

    std::fflush(nullptr);
    const double start = nowMs();
    const pid_t child = fork();
    if (child < 0) {
        std::perror("startup_clock: fork");
        return 2;
    }
    if (child == 0) {
        close(xcb_get_file_descriptor(c));
        // The game's own marks (PELLARO_MEASURE_STARTUP) count from here too.
        char startText[32];
        std::snprintf(startText, sizeof startText, "%.3f", start);
        setenv("STARTUP_CLOCK_START_MS", startText, 1);
        execvp(argv[i], argv + i);
        std::fprintf(stderr, "startup_clock: cannot start %s: %s\n", argv[i], std::strerror(errno));
        _exit(127);
    }

    const int fd = xcb_get_file_descriptor(c);
    for (;;) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(c)) {
            const double at = nowMs();
            bool ours = false;
            if ((event->response_type & 0x7f) == XCB_MAP_NOTIFY) {
                const auto* map = reinterpret_cast<const xcb_map_notify_event_t*>(event);
                if (map->event == root && !map->override_redirect) {
                    const pid_t owner = windowPid(c, map->window, pidAtom);
                    ours = owner == 0 || owner == child;
                }
            }
            std::free(event);
            if (!ours)
                continue;
            std::printf("map_ms=%.3f", at - start);
            if (rssAfterMs >= 0) {
                usleep(static_cast<useconds_t>(rssAfterMs) * 1000u);
                std::printf(" rss_kib=%ld", residentKib(child));
            }
            std::printf("\n");
            endChild(child);
            xcb_disconnect(c);
            return 0;
        }
        if (xcb_connection_has_error(c)) {
            std::fputs("startup_clock: lost the X display\n", stderr);
            endChild(child);
            return 1;
        }
        int status = 0;
        if (waitpid(child, &status, WNOHANG) == child) {
            std::fprintf(stderr, "startup_clock: %s ended without mapping a window\n", argv[i]);
            return 1;
        }
        const double left = start + timeoutMs - nowMs();
        if (left <= 0) {
            std::fprintf(stderr, "startup_clock: %s mapped no window within %d ms\n", argv[i], timeoutMs);
            endChild(child);
            return 1;
        }
        // Wakes for X events, and every 20 ms to see whether the program ended.
        pollfd p{fd, POLLIN, 0};
        poll(&p, 1, left < 20 ? static_cast<int>(left) + 1 : 20);
    }
}
