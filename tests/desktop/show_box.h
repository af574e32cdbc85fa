// The test program show_box and the boxes the desktop tests show with it.
#pragma once

#include <string>
#include <vector>

namespace desktop {

inline std::string showBoxPath() { return std::string(ZEL_TEST_HELPER_DIR) + "/show_box"; }

// The question formsetup asks when a table exists already (error 3010).
inline const std::string kTableExistsQuestion =
    "\nSe  detectado que ya existen las tablas del ZEL DE MODIFICACIÓN DE COEFICIENTE Y "
    "PORCENTAJE Desea Sobreescribirlas?";

// show_box's command line for the 3010 question with `defaultButton` ("yes", "no").
inline std::vector<std::string> tableExistsQuestion(const std::string& defaultButton) {
  return {showBoxPath(), "question", "yesno", defaultButton, "Mensaje", kTableExistsQuestion};
}

// The transcript line of that question answered `answer`.
inline std::string tableExistsLine(const std::string& defaultButton, const std::string& answer) {
  return R"({"program":"show_box","title":"Mensaje","text":"\nSe  detectado que ya existen las )"
         R"(tablas del ZEL DE MODIFICACIÓN DE COEFICIENTE Y PORCENTAJE Desea Sobreescribirlas?",)"
         R"("icon":"question","buttons":"yesno","default":")" +
         defaultButton + R"(","answer":")" + answer + R"("})";
}

}  // namespace desktop
