// zelhost upsize: a file host moved to an empty database on a PostgreSQL
// server, its file kept beside under another name (upsize.cpp says how the
// switch stays whole whenever the command is killed).
#pragma once

#include "tools/zelhost/commands.h"

namespace zelhost {

// zelhost upsize FOLDER --server CONNINFO [--dbname NAME]; returns the exit
// status, engine errors escape to main.
int upsizeCommand(const Args& args);

}  // namespace zelhost
