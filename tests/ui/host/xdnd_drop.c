/* Drops files onto the X window under a point of the root window through the XDND protocol, as a
 * file manager does: the host side of a drag from another program into a Wine window.
 * usage: xdnd_drop ANSWER X Y URI...
 * Writes its outcome into the file ANSWER, since Wine gives its Windows caller no handle to wait
 * on: 0 once the target has taken the drop, 2 it refused it, 3 no XDND-aware window lies there,
 * 4 it did not answer in time, 1 no drop was begun. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <sys/time.h>

static Display* dpy;
static Atom aware, enter, position, status, drop, leave, finished, selection, uri_list, copy;

static long now_ms(void) {
  struct timeval tv;
  gettimeofday(&tv, NULL);
  return tv.tv_sec * 1000L + tv.tv_usec / 1000;
}

static int is_aware(Window w) {
  Atom type;
  int format;
  unsigned long count, after;
  unsigned char* data = NULL;
  int found = XGetWindowProperty(dpy, w, aware, 0, 1, False, XA_ATOM, &type, &format, &count,
                                 &after, &data) == Success &&
              type == XA_ATOM && count == 1;
  if (data) XFree(data);
  return found;
}

/* The deepest XDND-aware window under the point, the way a drag source looks for its target. */
static Window target_at(int x, int y) {
  Window root = DefaultRootWindow(dpy), from = root, child = None, found = None;
  int cx, cy;
  while (XTranslateCoordinates(dpy, root, from, x, y, &cx, &cy, &child) && child != None) {
    if (is_aware(child)) found = child;
    from = child;
  }
  return found;
}

static void send_message(Window target, Atom type, long l0, long l1, long l2, long l3, long l4) {
  XEvent e;
  memset(&e, 0, sizeof e);
  e.xclient.type = ClientMessage;
  e.xclient.window = target;
  e.xclient.message_type = type;
  e.xclient.format = 32;
  e.xclient.data.l[0] = l0;
  e.xclient.data.l[1] = l1;
  e.xclient.data.l[2] = l2;
  e.xclient.data.l[3] = l3;
  e.xclient.data.l[4] = l4;
  XSendEvent(dpy, target, False, NoEventMask, &e);
  XFlush(dpy);
}

static void answer(const XSelectionRequestEvent* r, const char* list) {
  XEvent reply;
  memset(&reply, 0, sizeof reply);
  reply.xselection.type = SelectionNotify;
  reply.xselection.requestor = r->requestor;
  reply.xselection.selection = r->selection;
  reply.xselection.target = r->target;
  reply.xselection.time = r->time;
  reply.xselection.property = None;
  if (r->target == uri_list) {
    XChangeProperty(dpy, r->requestor, r->property, uri_list, 8, PropModeReplace,
                    (const unsigned char*)list, (int)strlen(list));
    reply.xselection.property = r->property;
  }
  XSendEvent(dpy, r->requestor, False, NoEventMask, &reply);
  XFlush(dpy);
}

/* Answers requests for the data until a message of this type comes from the target. */
static int wait_for(Atom type, const char* list, XClientMessageEvent* got) {
  const long deadline = now_ms() + 10000;
  while (now_ms() < deadline) {
    while (XPending(dpy)) {
      XEvent e;
      XNextEvent(dpy, &e);
      if (e.type == SelectionRequest) answer(&e.xselectionrequest, list);
      if (e.type == ClientMessage && e.xclient.message_type == type) {
        *got = e.xclient;
        return 1;
      }
    }
    struct timeval pause = {0, 10000};
    select(0, NULL, NULL, NULL, &pause);
  }
  return 0;
}

static int drop_at(int x, int y, const char* list);

int main(int argc, char** argv) {
  if (argc < 5) {
    fprintf(stderr, "usage: xdnd_drop ANSWER X Y URI...\n");
    return 1;
  }
  size_t size = 1;
  for (int i = 4; i < argc; ++i) size += strlen(argv[i]) + 2;
  char* list = calloc(size, 1);
  if (!list) return 1;
  for (int i = 4; i < argc; ++i) strcat(strcat(list, argv[i]), "\r\n");
  const int outcome = (dpy = XOpenDisplay(NULL)) ? drop_at(atoi(argv[2]), atoi(argv[3]), list) : 1;
  if (dpy) XCloseDisplay(dpy);
  free(list);
  FILE* answer = fopen(argv[1], "w");
  if (!answer) return 1;
  fprintf(answer, "%d\n", outcome);
  return fclose(answer) == 0 ? outcome : 1;
}

static int drop_at(int x, int y, const char* list) {
  aware = XInternAtom(dpy, "XdndAware", False);
  enter = XInternAtom(dpy, "XdndEnter", False);
  position = XInternAtom(dpy, "XdndPosition", False);
  status = XInternAtom(dpy, "XdndStatus", False);
  drop = XInternAtom(dpy, "XdndDrop", False);
  leave = XInternAtom(dpy, "XdndLeave", False);
  finished = XInternAtom(dpy, "XdndFinished", False);
  selection = XInternAtom(dpy, "XdndSelection", False);
  uri_list = XInternAtom(dpy, "text/uri-list", False);
  copy = XInternAtom(dpy, "XdndActionCopy", False);

  const Window target = target_at(x, y);
  if (target == None) return 3;
  const Window source = XCreateSimpleWindow(dpy, DefaultRootWindow(dpy), 0, 0, 1, 1, 0, 0, 0);
  XSetSelectionOwner(dpy, selection, source, CurrentTime);

  XClientMessageEvent reply;
  send_message(target, enter, (long)source, 5L << 24, (long)uri_list, None, None);
  send_message(target, position, (long)source, 0, ((long)x << 16) | y, CurrentTime, (long)copy);
  if (!wait_for(status, list, &reply)) return 4;
  if (!(reply.data.l[1] & 1)) {
    send_message(target, leave, (long)source, 0, 0, 0, 0);
    return 2;
  }
  send_message(target, drop, (long)source, 0, CurrentTime, 0, 0);
  return wait_for(finished, list, &reply) ? 0 : 4;
}
