#include "tools/zelhost/host_file.h"

#include <sqlite3.h>

#include "hostdb/sqlite/catalog.h"
#include "hostdb/sqlite/handle.h"
#include "platform/errors.h"

namespace zelhost {

HostFile::HostFile(const std::string& path, bool readOnly)
    : db_(hostdb::sqlite::openHandle(path, path, {false, readOnly, false})) {
  if (!hostdb::sqlite::workgroupIdentity(db_)) {
    sqlite3_close(db_);
    throw platform::makeError(3343, {path});
  }
}

HostFile::~HostFile() { sqlite3_close(db_); }

}  // namespace zelhost
