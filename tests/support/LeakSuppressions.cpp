// Under LeakSanitizer, the caches that the font and SVG libraries keep for
// the life of the process (fontconfig's patterns, pango's font maps,
// librsvg's and GLib's type and string tables) are not the program's leaks.
// Built into every suite; outside a sanitized build nothing calls
// it.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n"
         "leak:libpango\n"
         "leak:librsvg-2.so\n"
         "leak:libglib-2.0.so\n"
         "leak:libgobject-2.0.so\n"
         "leak:libcairo.so\n";
}
