// Built into zelhost only with the sanitizers (ZEL_SANITIZE): the leak
// checker's defaults. Fontconfig (2.14) leaves a few hundred bytes of its own
// unreachable while it parses its configuration files, the first time page
// asks it for a font; that is not zelhost's to free. Its frames carry no
// frame pointers, so the leak's stack ends inside the library and only the
// library's name can match it; every fontconfig object page makes itself is
// held by an owner that frees it. The suppression is used silently, so that
// standard error holds what zelhost says.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
extern "C" const char* __lsan_default_options() { return "print_suppressions=0"; }
