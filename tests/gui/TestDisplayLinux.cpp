#include "TestDisplay.h"

#include <X11/Xlib.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
pid_t XvfbPid = -1;

void StopXvfb() {
  if (XvfbPid > 0) {
    kill(XvfbPid, SIGTERM);
    waitpid(XvfbPid, nullptr, 0);
    XvfbPid = -1;
  }
}

bool CanOpen(const char* name) {
  Display* display = XOpenDisplay(name);
  if (display == nullptr) {
    return false;
  }
  // A bare server without a window manager lacks these atoms; JUCE asks for them when it maps windows.
  XInternAtom(display, "WM_PROTOCOLS", False);
  XInternAtom(display, "WM_STATE", False);
  XInternAtom(display, "WM_DELETE_WINDOW", False);
  XSync(display, False);
  XCloseDisplay(display);
  return true;
}

bool StartXvfb(std::string& reason) {
  int fds[2];
  if (pipe(fds) != 0) {
    reason = "pipe failed";
    return false;
  }
  XvfbPid = fork();
  if (XvfbPid == 0) {
    close(fds[0]);
    const std::string fd = std::to_string(fds[1]);
    int devnull = open("/dev/null", O_WRONLY);
    if (devnull >= 0) {
      // Neither output stream stays with the server: a test that dies would otherwise leave the
      // orphaned server holding the test runner's pipe, and the runner would wait for ever.
      dup2(devnull, 1);
      dup2(devnull, 2);
    }
    execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-noreset", "-nolisten", "tcp", "-screen", "0",
           "1024x768x24", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  if (XvfbPid < 0) {
    close(fds[0]);
    reason = "fork failed";
    return false;
  }
  std::string number;
  pollfd p{fds[0], POLLIN, 0};
  while (poll(&p, 1, 10000) > 0) {
    char c = 0;
    if (read(fds[0], &c, 1) != 1 || c == '\n') {
      break;
    }
    number += c;
  }
  close(fds[0]);
  if (number.empty()) {
    StopXvfb();
    reason = "Xvfb did not start (install it with scripts/install-deps.sh gui)";
    return false;
  }
  const std::string display = ":" + number;
  setenv("DISPLAY", display.c_str(), 1);
  std::atexit(StopXvfb);
  return CanOpen(display.c_str()) || (reason = "Xvfb display does not answer", false);
}
} // namespace

namespace TestDisplay {
bool Ensure(std::string& reason) {
  static int state = 0; // 0 unknown, 1 usable, 2 not
  static std::string why;
  if (state == 0) {
    // Each test process gets a server of its own: windows of tests run side by side never overlap
    // under the synthetic clicks, and no test outlives the server it draws on.
    const char* chosen = std::getenv("TRIAXO_TEST_DISPLAY");
    if (chosen != nullptr && *chosen != '\0') {
      setenv("DISPLAY", chosen, 1);
      state = CanOpen(chosen) ? 1 : 2;
      why = std::string("TRIAXO_TEST_DISPLAY ") + chosen + " does not answer";
    } else if (StartXvfb(why)) {
      state = 1;
    } else {
      // Without Xvfb the session's display will do.
      const char* current = std::getenv("DISPLAY");
      state = current != nullptr && *current != '\0' && CanOpen(current) ? 1 : 2;
    }
  }
  reason = why;
  return state == 1;
}
} // namespace TestDisplay
