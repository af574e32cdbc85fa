// sendsummary RECORD: the send summary of one declaration of form 0661.
#include "platform/program.h"
#include "report/startup.h"

int main(int argc, char** argv) {
  return platform::runProgram("sendsummary", argc, argv, [] { report::runReport(); });
}
