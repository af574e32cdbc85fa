// The workgroup account the programs log on with. Built at run time from the
// character codes the build configured, so that no readable text of it stands
// in the program.
#pragma once

#include <string>

namespace installer {

std::string workgroupUser();
std::string workgroupPassword();

}  // namespace installer
