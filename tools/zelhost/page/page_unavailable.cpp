// zelhost page where the build has no cairo and Pango to draw with (the
// Windows build, a Linux build without them): the command says so.
#include <cstdio>

#include "tools/zelhost/commands.h"

namespace zelhost {

int pageCommand(const Args&) {
  std::fprintf(stderr,
               "zelhost page: not available in this build: it draws with cairo and Pango, "
               "which this build was made without\n");
  return 2;
}

}  // namespace zelhost
