// CrashReport: a GUI test program that dies of a signal writes where it was to standard error, so a
// crash that happens once in a thousand runs (a test runner on a loaded machine) still says where.
#include <csignal>
#include <execinfo.h>
#include <initializer_list>
#include <unistd.h>

namespace {

void ReportAndDie(int signal) {
  // Only async-signal-safe calls: backtrace_symbols_fd writes without allocating. backtrace itself
  // may load libgcc on its first call, which is why it is called once at start-up below.
  static const char heading[] = "\n*** test program stopped by a signal; the stack:\n";
  (void)!write(STDERR_FILENO, heading, sizeof(heading) - 1);
  void* frames[64];
  const int count = backtrace(frames, 64);
  backtrace_symbols_fd(frames, count, STDERR_FILENO);
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

const bool Installed = [] {
  void* warmUp[1];
  backtrace(warmUp, 1);
  for (const int signal : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT}) {
    std::signal(signal, ReportAndDie);
  }
  return true;
}();

} // namespace
