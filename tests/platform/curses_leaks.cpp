// curses keeps terminal descriptions and the start-up state of a refused terminal for the
// life of the process; LeakSanitizer is not to count them as leaks of ours.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libtinfo.so\n"
         "leak:libncursesw.so\n"
         "leak:new_prescr\n"
         "leak:tsearch\n";
}
