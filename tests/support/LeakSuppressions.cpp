// Under LeakSanitizer, the caches that the font libraries keep for the life
// of the process (fontconfig's patterns, GLib's string tables) are not the
// program's leaks.
// Built into every suite; outside a sanitized build nothing calls
// it.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n"
         "leak:libglib-2.0.so\n";
}
