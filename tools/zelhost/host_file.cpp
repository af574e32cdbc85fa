#include "tools/zelhost/host_file.h"

#include "hostdb/sqlite/catalog.h"
#include "platform/errors.h"

namespace zelhost {

HostFile::HostFile(const std::string& path, bool readOnly)
    : handle_(hostdb::sqlite::openHandle(path, path, {false, readOnly, false})) {
  if (!hostdb::sqlite::workgroupIdentity(handle_.get()))
    throw platform::makeError(3343, {path});
}

}  // namespace zelhost
