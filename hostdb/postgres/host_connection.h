// A connection to the server that a host's descriptor file names, set up as
// every session of the layer runs: named program@machine (application_name,
// so that a lock's holder can be named), the host's tables first on the
// search path and the support schema's functions before the server's own
// (the translated statements call left(), mid(), rtrim() unqualified), and
// every commit synchronous, whatever the server's default.
#pragma once

#include <optional>
#include <string_view>

#include "hostdb/postgres/pg_connection.h"

namespace hostdb::postgres {

// Reads the descriptor at `path` (as the programs write it) and connects.
// Raises kCannotFindFile for a file that cannot be read, kUnrecognizedFormat
// for one that is no descriptor, and what PgConnection raises; every
// description names `path`. `mostConnectSeconds` bounds the time connecting
// may take.
PgConnection connectToHost(std::string_view path, std::optional<int> mostConnectSeconds = {});

// The settings every host session is given with its log-on: the search
// path and synchronous commits (see above).
inline constexpr std::string_view kHostSessionSettings =
    "-c search_path=public,jet,pg_catalog -c synchronous_commit=on";

// "program@machine" for this process.
std::string sessionName();

}  // namespace hostdb::postgres
