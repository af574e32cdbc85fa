// The system's entry point of a program with a programMain.
#include "platform/entry.h"

int main(int argc, char** argv) { return programMain(argc, argv); }
