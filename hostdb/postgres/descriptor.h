// A host on a database server is named, where a file host's database file
// would be, by a small text file: the descriptor. It holds one libpq
// connection string ("host=... dbname=..." or "service=...", or a
// postgresql:// URI), never a password: the password comes from the PC
// (~/.pgpass, a service file, a client certificate).
//
// A file is a descriptor when it is text of one line (after an optional
// UTF-8 byte order mark, blanks and line ends around it ignored), at most
// kMostDescriptorBytes long, that libpq parses as a connection string naming
// a database or a service.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace hostdb::postgres {

inline constexpr std::size_t kMostDescriptorBytes = 4096;

// Whether `content` (a file's bytes) is a descriptor, password or not: what
// tells a server host's file from any other file.
bool isDescriptor(std::string_view content);

// The connection string `content` holds. Raises kUnrecognizedFormat naming
// `file`, with a cause that names the file and says why (libpq's words when
// the text does not parse), for a file that is no descriptor, and for one
// that holds a password (keyword password or sslpassword).
std::string parseDescriptor(std::string_view content, std::string_view file);

}  // namespace hostdb::postgres
