// Starts a program and reports how long it takes until its first window is mapped.
//
//   voltline-mapprobe PROGRAM [ARGS...]
//
// Prints "pid N" as soon as the program runs, and at its first MapNotify "first_map_ms M" and
// "first_map_cpu_ms C" (the CPU time all its threads had used by then, which unlike the wall
// time hardly depends on how busy the machine is); then waits for the program and exits with
// its status. SIGTERM and SIGINT are passed on.
// A window counts as the program's when its _NET_WM_PID names the program. The clock starts
// right before fork(), so the figure includes exec, dynamic linking and toolkit start-up.
#include <xcb/xcb.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <memory>
#include <set>
#include <sys/wait.h>
#include <unistd.h>

namespace {

pid_t g_child = 0;

void forward(int sig)
{
    if (g_child > 0)
        kill(g_child, sig);
}

double nowMs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

// CPU time of all threads of a process, from the first field of each schedstat (ns).
double cpuMs(pid_t pid)
{
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%ld/task", long(pid));
    DIR *tasks = opendir(path);
    if (!tasks)
        return -1;
    unsigned long long sum = 0;
    while (const dirent *t = readdir(tasks)) {
        if (t->d_name[0] == '.')
            continue;
        char stat[400];
        std::snprintf(stat, sizeof stat, "%s/%s/schedstat", path, t->d_name);
        if (FILE *f = std::fopen(stat, "r")) {
            unsigned long long ns = 0;
            if (std::fscanf(f, "%llu", &ns) == 1)
                sum += ns;
            std::fclose(f);
        }
    }
    closedir(tasks);
    return double(sum) / 1e6;
}

template<typename T> using XcbReply = std::unique_ptr<T, decltype(&std::free)>;

xcb_atom_t internAtom(xcb_connection_t *c, const char *name)
{
    XcbReply<xcb_intern_atom_reply_t> r(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr),
        &std::free);
    return r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
}

long windowPid(xcb_connection_t *c, xcb_window_t w, xcb_atom_t pidAtom)
{
    XcbReply<xcb_get_property_reply_t> r(
        xcb_get_property_reply(c, xcb_get_property(c, 0, w, pidAtom, XCB_ATOM_CARDINAL, 0, 1),
                               nullptr),
        &std::free);
    if (!r || r->format != 32 || xcb_get_property_value_length(r.get()) < 4)
        return -1;
    return long(*static_cast<const uint32_t *>(xcb_get_property_value(r.get())));
}

bool isMapped(xcb_connection_t *c, xcb_window_t w)
{
    XcbReply<xcb_get_window_attributes_reply_t> r(
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, w), nullptr), &std::free);
    return r && r->map_state != XCB_MAP_STATE_UNMAPPED;
}

// Watches one new top-level window: its own MapNotify reaches us wherever it is reparented
// to (a window manager frame, a tray host).
void watch(xcb_connection_t *c, xcb_window_t w)
{
    const uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(c, w, XCB_CW_EVENT_MASK, &mask);
}

int waitChild()
{
    int status = 0;
    while (waitpid(g_child, &status, 0) < 0) {
        if (errno != EINTR)
            return 1;
    }
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    return 128 + WTERMSIG(status);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s PROGRAM [ARGS...]\n", argv[0]);
        return 2;
    }
    xcb_connection_t *c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "mapprobe: cannot open the display\n");
        return 2;
    }
    xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const xcb_atom_t pidAtom = internAtom(c, "_NET_WM_PID");
    const uint32_t rootMask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &rootMask);
    xcb_flush(c);

    struct sigaction sa {};
    sa.sa_handler = forward;
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);

    const double t0 = nowMs();
    g_child = fork();
    if (g_child < 0)
        return 2;
    if (g_child == 0) {
        execvp(argv[1], argv + 1);
        std::perror("mapprobe: exec");
        _exit(127);
    }
    std::printf("pid %ld\n", long(g_child));
    std::fflush(stdout);

    const int fd = xcb_get_file_descriptor(c);
    std::set<xcb_window_t> mapped; // mapped windows whose owner was not yet known
    bool found = false;
    const auto report = [&] {
        const double wall = nowMs() - t0;
        std::printf("first_map_ms %.1f\nfirst_map_cpu_ms %.1f\n", wall, cpuMs(g_child));
        std::fflush(stdout);
        found = true;
    };
    const auto ours = [&](xcb_window_t w) { return windowPid(c, w, pidAtom) == long(g_child); };

    while (!found) {
        if (waitpid(g_child, nullptr, WNOHANG) == g_child) {
            std::fprintf(stderr, "mapprobe: the program ended before mapping a window\n");
            return 1;
        }
        xcb_generic_event_t *ev = xcb_poll_for_event(c);
        if (!ev) {
            if (xcb_connection_has_error(c))
                break;
            fd_set fds;
            FD_ZERO(&fds);
            FD_SET(fd, &fds);
            timeval tv{0, 100000};
            select(fd + 1, &fds, nullptr, nullptr, &tv);
            continue;
        }
        std::unique_ptr<xcb_generic_event_t, decltype(&std::free)> hold(ev, &std::free);
        switch (ev->response_type & 0x7f) {
        case XCB_CREATE_NOTIFY: {
            const auto *e = reinterpret_cast<xcb_create_notify_event_t *>(ev);
            if (e->parent != root)
                break;
            watch(c, e->window);
            // It may have been mapped before our mask took effect.
            if (isMapped(c, e->window)) {
                if (ours(e->window))
                    report();
                else
                    mapped.insert(e->window);
            }
            break;
        }
        case XCB_MAP_NOTIFY: {
            const auto *e = reinterpret_cast<xcb_map_notify_event_t *>(ev);
            if (ours(e->window))
                report();
            else
                mapped.insert(e->window);
            break;
        }
        case XCB_PROPERTY_NOTIFY: {
            // _NET_WM_PID set after the map (not usual, but cheap to cover).
            const auto *e = reinterpret_cast<xcb_property_notify_event_t *>(ev);
            if (e->atom == pidAtom && mapped.count(e->window) && ours(e->window))
                report();
            break;
        }
        case XCB_DESTROY_NOTIFY:
            mapped.erase(reinterpret_cast<xcb_destroy_notify_event_t *>(ev)->window);
            break;
        default:
            break;
        }
    }
    xcb_disconnect(c);
    return waitChild();
}
