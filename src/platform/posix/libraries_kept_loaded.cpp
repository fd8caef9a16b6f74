// Sanitizer builds only. The leak checker runs at the very end, after SDL and
// the libraries it loads have unloaded others again (Mesa's GL driver among
// them): what such a library held through its own data then looks leaked,
// from code that no longer has a name, so no suppression can match it. Here
// the program's own dlclose, found before the C library's, unloads nothing:
// that memory stays reachable, and a real leak in a library is reported with
// the library's name (.ci/lsan.supp).
extern "C" int dlclose(void*) { return 0; }
