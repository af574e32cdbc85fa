#include "tools/zelhost/host_file.h"

#include "hostdb/sqlite/catalog.h"
#include "hostdb/engine_error.h"

namespace zelhost {

HostFile::HostFile(const std::string& path, bool readOnly)
    : handle_(hostdb::sqlite::openHandle(path, path, {false, readOnly, false})) {
  if (!hostdb::sqlite::workgroupIdentity(handle_.get()))
    throw platform::makeError(hostdb::err::kUnrecognizedFormat, {path});
}

}  // namespace zelhost
