/* A Linux-side drag source for the end-to-end tests: drops a text/uri-list on an X window the
 * way a desktop file manager does (XDND version 5), so that Wine turns it into WM_DROPFILES.
 *
 *   XdndDragSource RESULTFILE WINDOW X Y URI...
 *
 * WINDOW is the X window to drop on (0: the XdndAware toplevel under X, Y); X, Y are root
 * coordinates inside the drop target. Every wait has a time limit. The outcome goes to
 * RESULTFILE as one line, "ok" or "error: why", written under a temporary name and renamed, so
 * a reader never sees half of it. Exit code 0 on success. */
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <poll.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

enum { kStepMilliseconds = 10000, kProtocolVersion = 5 };

static const char* resultPath;

static void Finish(int ok, const char* format, ...) {
    char temporary[4096];
    snprintf(temporary, sizeof temporary, "%s.part", resultPath);
    FILE* out = fopen(temporary, "w");
    if (out) {
        if (ok) {
            fputs("ok\n", out);
        } else {
            va_list args;
            va_start(args, format);
            fputs("error: ", out);
            vfprintf(out, format, args);
            fputc('\n', out);
            va_end(args);
        }
        fclose(out);
        rename(temporary, resultPath);
    }
    exit(ok ? 0 : 1);
}

static long long NowMilliseconds(void) {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (long long)now.tv_sec * 1000 + now.tv_nsec / 1000000;
}

typedef struct {
    Display* display;
    Window source;
    Window target;
    Atom uriList, targets, selection;
    const char* uris;
} Drag;

/* A window that went away, or a bad window id, ends the drop with a reason rather than with
 * Xlib's own exit, which would leave the waiting test without an answer. */
static int OnXError(Display* display, XErrorEvent* error) {
    (void)display;
    Finish(0, "X error %d (request %d) on 0x%lx", error->error_code, error->request_code,
           (unsigned long)error->resourceid);
    return 0;
}

static Atom AtomOf(Display* display, const char* name) { return XInternAtom(display, name, False); }

/* The highest protocol version the window speaks; 0 when it takes no drops. */
static int AwareVersion(Display* display, Window window) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = NULL;
    int version = 0;
    if (XGetWindowProperty(display, window, AtomOf(display, "XdndAware"), 0, 1, False, AnyPropertyType, &type, &format,
                           &count, &after, &data) == Success &&
        data && count == 1 && format == 32) {
        version = (int)*(unsigned long*)data;
    }
    if (data) XFree(data);
    return version;
}

/* The window that takes drops at the root position: down from the root through the topmost
 * child at that point until one is XdndAware. */
static Window AwareWindowAt(Display* display, int x, int y) {
    Window root = DefaultRootWindow(display), from = root, child = None;
    int localX = x, localY = y;
    while (XTranslateCoordinates(display, root, from, x, y, &localX, &localY, &child) && child != None) {
        if (AwareVersion(display, child) > 0) return child;
        from = child;
    }
    return None;
}

static void SendToTarget(const Drag* drag, const char* message, long l1, long l2, long l3, long l4) {
    XEvent event;
    memset(&event, 0, sizeof event);
    event.xclient.type = ClientMessage;
    event.xclient.display = drag->display;
    event.xclient.window = drag->target;
    event.xclient.message_type = AtomOf(drag->display, message);
    event.xclient.format = 32;
    event.xclient.data.l[0] = (long)drag->source;
    event.xclient.data.l[1] = l1;
    event.xclient.data.l[2] = l2;
    event.xclient.data.l[3] = l3;
    event.xclient.data.l[4] = l4;
    XSendEvent(drag->display, drag->target, False, NoEventMask, &event);
    XFlush(drag->display);
}

/* Hands the uri list (or the list of what is offered) to whoever asks for the selection. */
static void AnswerRequest(const Drag* drag, const XSelectionRequestEvent* request) {
    XEvent reply;
    memset(&reply, 0, sizeof reply);
    reply.xselection.type = SelectionNotify;
    reply.xselection.requestor = request->requestor;
    reply.xselection.selection = request->selection;
    reply.xselection.target = request->target;
    reply.xselection.time = request->time;
    reply.xselection.property = request->property != None ? request->property : request->target;
    if (request->target == drag->uriList) {
        XChangeProperty(drag->display, request->requestor, reply.xselection.property, drag->uriList, 8, PropModeReplace,
                        (const unsigned char*)drag->uris, (int)strlen(drag->uris));
    } else if (request->target == drag->targets) {
        Atom offered[2] = {drag->targets, drag->uriList};
        XChangeProperty(drag->display, request->requestor, reply.xselection.property, XA_ATOM, 32, PropModeReplace,
                        (const unsigned char*)offered, 2);
    } else {
        reply.xselection.property = None;
    }
    XSendEvent(drag->display, request->requestor, False, NoEventMask, &reply);
    XFlush(drag->display);
}

/* Serves selection requests until a client message of the kind arrives from the target; false
 * when none came in time. */
static int AwaitMessage(const Drag* drag, const char* message, XClientMessageEvent* got) {
    const Atom wanted = AtomOf(drag->display, message);
    const long long end = NowMilliseconds() + kStepMilliseconds;
    for (;;) {
        while (XPending(drag->display)) {
            XEvent event;
            XNextEvent(drag->display, &event);
            if (event.type == SelectionRequest) {
                AnswerRequest(drag, &event.xselectionrequest);
            } else if (event.type == ClientMessage && event.xclient.message_type == wanted) {
                *got = event.xclient;
                return 1;
            }
        }
        const long long left = end - NowMilliseconds();
        if (left <= 0) return 0;
        struct pollfd wait = {ConnectionNumber(drag->display), POLLIN, 0};
        poll(&wait, 1, (int)(left < 100 ? left : 100));
    }
}

/* The uri list from the arguments, one per line, CR LF after each. */
static char* JoinUris(int count, char** uris) {
    size_t size = 1;
    for (int i = 0; i < count; ++i) size += strlen(uris[i]) + 2;
    char* text = malloc(size);
    if (!text) Finish(0, "out of memory");
    text[0] = 0;
    for (int i = 0; i < count; ++i) {
        strcat(text, uris[i]);
        strcat(text, "\r\n");
    }
    return text;
}

int main(int argc, char** argv) {
    if (argc < 6) {
        fprintf(stderr, "usage: %s RESULTFILE WINDOW X Y URI...\n", argv[0]);
        return 2;
    }
    resultPath = argv[1];
    Drag drag;
    drag.display = XOpenDisplay(NULL);
    if (!drag.display) Finish(0, "cannot open display '%s'", getenv("DISPLAY") ? getenv("DISPLAY") : "");
    XSetErrorHandler(OnXError);
    const int x = atoi(argv[3]), y = atoi(argv[4]);
    drag.target = (Window)strtoul(argv[2], NULL, 0);
    if (drag.target == None) drag.target = AwareWindowAt(drag.display, x, y);
    if (drag.target == None) Finish(0, "no window takes drops at %d,%d", x, y);
    int version = AwareVersion(drag.display, drag.target);
    if (version <= 0) Finish(0, "window 0x%lx is not XdndAware", (unsigned long)drag.target);
    if (version > kProtocolVersion) version = kProtocolVersion;
    drag.uris = JoinUris(argc - 5, argv + 5);
    drag.uriList = AtomOf(drag.display, "text/uri-list");
    drag.targets = AtomOf(drag.display, "TARGETS");
    drag.selection = AtomOf(drag.display, "XdndSelection");
    drag.source = XCreateSimpleWindow(drag.display, DefaultRootWindow(drag.display), 0, 0, 1, 1, 0, 0, 0);
    XSetSelectionOwner(drag.display, drag.selection, drag.source, CurrentTime);
    if (XGetSelectionOwner(drag.display, drag.selection) != drag.source) Finish(0, "cannot own XdndSelection");

    XClientMessageEvent answer;
    /* Enter offers the one type in the message itself; the target fetches the data right away. */
    SendToTarget(&drag, "XdndEnter", (long)version << 24, (long)drag.uriList, 0, 0);
    SendToTarget(&drag, "XdndPosition", 0, ((long)x << 16) | (y & 0xFFFF), CurrentTime,
                 (long)AtomOf(drag.display, "XdndActionCopy"));
    if (!AwaitMessage(&drag, "XdndStatus", &answer)) Finish(0, "no XdndStatus from 0x%lx", (unsigned long)drag.target);
    if (!(answer.data.l[1] & 1)) {
        SendToTarget(&drag, "XdndLeave", 0, 0, 0, 0);
        Finish(0, "the target refused the drop at %d,%d", x, y);
    }
    SendToTarget(&drag, "XdndDrop", 0, CurrentTime, 0, 0);
    if (!AwaitMessage(&drag, "XdndFinished", &answer)) Finish(0, "no XdndFinished");
    if (version >= 5 && !(answer.data.l[1] & 1)) Finish(0, "the target did not take the drop");
    XDestroyWindow(drag.display, drag.source);
    XCloseDisplay(drag.display);
    Finish(1, NULL);
    return 0;
}
