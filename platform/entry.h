// A program's entry behind the system's own. formsetup and sendsummary
// define programMain; the system starts them at the entry point the
// platform gives (posix/entry.cpp: main; windows/entry.cpp: wmain of a
// program without a console window), which calls it.
#pragma once

// The program's body, given the arguments as main takes them, in UTF-8 (on
// Windows narrowed from the wide command line). Returns the exit status.
int programMain(int argc, char** argv);
