/* Asks a window whether it still answers, as a window manager does: sends it a _NET_WM_PING
 * client message every 20 ms and watches the root window for the answers (a client answers by
 * sending the message back to the root window, from its event loop; Qt sends it to the clients
 * that watch the root window's structure). Needs no window manager.
 *
 *   ping_probe WINDOW_ID
 *
 * Reads commands on stdin, one a line:
 *   start   begins a measurement
 *   stop    prints "longest N ms, pings M, unanswered K" for the time since start: the longest
 *           time a ping waited for its answer (a ping still waiting counts until now)
 * and ends at the end of its input.
 */
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

#define PERIOD_MS 20
#define MAX_PINGS 65536

static double now_ms(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (double)t.tv_sec * 1e3 + (double)t.tv_nsec / 1e6;
}

static double sent_at[MAX_PINGS]; /* by sequence number modulo MAX_PINGS; < 0: answered */

int main(int argc, char** argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: %s WINDOW_ID\n", argv[0]);
    return 2;
  }
  Display* display = XOpenDisplay(NULL);
  if (!display) {
    fprintf(stderr, "ping_probe: cannot open the display\n");
    return 1;
  }
  const Window window = (Window)strtoul(argv[1], NULL, 0);
  const Window root = DefaultRootWindow(display);
  const Atom protocols = XInternAtom(display, "WM_PROTOCOLS", False);
  const Atom ping = XInternAtom(display, "_NET_WM_PING", False);
  XSelectInput(display, root, StructureNotifyMask | SubstructureNotifyMask);
  XFlush(display);

  unsigned long next = 1, oldest = 1; /* next to send; oldest that may be unanswered */
  double next_send = now_ms(), longest = 0;
  int measuring = 0;
  long pings = 0;
  char line[64];
  size_t used = 0;
  for (;;) {
    const double now = now_ms();
    if (now >= next_send) {
      XEvent event;
      memset(&event, 0, sizeof event);
      event.xclient.type = ClientMessage;
      event.xclient.window = window;
      event.xclient.message_type = protocols;
      event.xclient.format = 32;
      event.xclient.data.l[0] = (long)ping;
      event.xclient.data.l[1] = (long)next; /* stands for the time stamp: our sequence number */
      event.xclient.data.l[2] = (long)window;
      XSendEvent(display, window, False, NoEventMask, &event);
      XFlush(display);
      sent_at[next % MAX_PINGS] = now;
      ++next;
      ++pings;
      next_send += PERIOD_MS;
      if (next_send < now) next_send = now + PERIOD_MS;
    }
    while (XPending(display)) {
      XEvent event;
      XNextEvent(display, &event);
      if (event.type != ClientMessage || event.xclient.message_type != protocols ||
          (Atom)event.xclient.data.l[0] != ping || (Window)event.xclient.data.l[2] != window)
        continue;
      const unsigned long seq = (unsigned long)event.xclient.data.l[1];
      if (seq < oldest || seq >= next || sent_at[seq % MAX_PINGS] < 0) continue;
      const double waited = now_ms() - sent_at[seq % MAX_PINGS];
      if (measuring && waited > longest) longest = waited;
      sent_at[seq % MAX_PINGS] = -1;
    }
    while (oldest < next && sent_at[oldest % MAX_PINGS] < 0) ++oldest;
    if (next - oldest >= MAX_PINGS) oldest = next - MAX_PINGS + 1;

    struct pollfd fds[2] = {{ConnectionNumber(display), POLLIN, 0}, {0, POLLIN, 0}};
    int wait = (int)(next_send - now_ms());
    if (poll(fds, 2, wait > 0 ? wait : 0) < 0) continue;
    if (!(fds[1].revents & (POLLIN | POLLHUP))) continue;
    const ssize_t got = read(0, line + used, sizeof line - 1 - used);
    if (got <= 0) break;
    used += (size_t)got;
    line[used] = 0;
    char* end;
    while ((end = strchr(line, '\n'))) {
      *end = 0;
      if (strcmp(line, "start") == 0) {
        measuring = 1;
        longest = 0;
        pings = 0;
      } else if (strcmp(line, "stop") == 0) {
        const double t = now_ms();
        long unanswered = 0;
        for (unsigned long s = oldest; s < next; ++s) {
          if (sent_at[s % MAX_PINGS] < 0) continue;
          ++unanswered;
          if (t - sent_at[s % MAX_PINGS] > longest) longest = t - sent_at[s % MAX_PINGS];
        }
        /* A ping just sent has had no time to be answered: it does not count as unanswered. */
        printf("longest %.0f ms, pings %ld, unanswered %ld\n", longest, pings,
               unanswered > 0 ? unanswered - 1 : 0);
        fflush(stdout);
        measuring = 0;
      }
      used -= (size_t)(end + 1 - line);
      memmove(line, end + 1, used + 1);
    }
    if (used >= sizeof line - 1) used = 0;
  }
  XCloseDisplay(display);
  return 0;
}
