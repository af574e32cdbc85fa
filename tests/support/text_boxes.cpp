// Every test binary shows the boxes of the code it runs in-process as text,
// whether or not a desktop is at hand: a dialog would wait for a person.
// Tests that mean to show dialogs run a program with ZEL_MESSAGE_UI set.
#include <cstdlib>

namespace {

const bool textBoxes = [] { return ::setenv("ZEL_MESSAGE_UI", "text", 1) == 0; }();

}  // namespace
