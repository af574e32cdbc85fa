// The form's PARAM rows and the three procedures that write them.
#include "installer/formsetup.h"

namespace installer {

// TODO(param rows): findParam, upsertParam, updateParam and the 157 rows.
bool findParam(const std::string&, const std::string&) { return false; }
void upsertParam(const std::string&, const std::string&, const std::string&, const std::string&) {}
void updateParam(const std::string&, const std::string&, const std::string&, const std::string&) {}
void writeParamRows() {}

}  // namespace installer
