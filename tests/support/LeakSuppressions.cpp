// Built into the test programs and the program itself under the sanitizers
// (VS_SANITIZE=ON): memory that system libraries loaded by Qt keep until
// exit (the font configuration, the session bus client) is not reported as
// a leak. Nothing of this project belongs here. A plug-in a test loads and
// lets go leaves its own memory behind with no library left to name; such a
// test keeps the plug-in loaded to the end of the run instead.
// The sound library's PulseAudio device listing leaves one server-info
// request of 88 bytes behind per listing; it is allocated inside libpulse,
// whose frames carry no frame pointers, so the stack ends there.

extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n"
         "leak:libdbus-1.so\n"
         "leak:libpulse.so\n";
}
