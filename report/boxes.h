// Box numbers of a declaration and their slots in boxValues.
#pragma once

#include <string>

namespace report {

// The boxes the summary shows.
inline constexpr int kDebtBox = 146;        // "Renta", "TOTAL DEUDA"
inline constexpr int kPaidBox = 180;        // "Renta", "MONTO PAGO"
inline constexpr int kTotalPaidBox = 598;   // "TOTAL:", under "MONTO PAGO"
inline constexpr int kRectifyingBox = 871;  // "RECTIFICATORIA"

// The slot of box `box` in moduleState().boxValues: boxes 1 to 700 and 800 to
// 999. Any other number raises 9 (subscript out of range).
std::string& boxSlot(int box);

// Boxes that DET may hold but the summary does not read.
bool isIgnoredBox(int box);

}  // namespace report
