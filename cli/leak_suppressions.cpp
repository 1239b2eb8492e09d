// Under the leak checker: what the font and PDF libraries keep for the life of the process
// (fontconfig's configuration, the fonts Pango's font map matched and caches on a thread of
// its own, whose timing decides what is still held at exit, a buffer cairo's PDF surface
// never frees) is theirs, not a leak of this program. Those libraries keep no frame
// pointers, so telling their leaks by name takes the slower, whole unwinding of each
// allocation.
extern "C" const char* __asan_default_options() { return "fast_unwind_on_malloc=0"; }

extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n"
         "leak:libpango\n"
         "leak:cairo_surface_finish\n";
}
