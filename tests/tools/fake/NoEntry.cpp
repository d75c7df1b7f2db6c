// NoEntry: a shared library without a VST entry, for the host's "no VST entry" error.
extern "C" __attribute__((visibility("default"))) int TriaxoTestsNotAPlugin() {
  return 42;
}
