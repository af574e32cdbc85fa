// formsetup: adds form 0661 to an installed host program's database.
#include "installer/startup.h"
#include "platform/program.h"

int main(int argc, char** argv) {
  return platform::runProgram("formsetup", argc, argv, [] { installer::startInstaller(); });
}
