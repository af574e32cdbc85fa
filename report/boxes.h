// Box numbers of a declaration.
#pragma once

namespace report {

// The boxes the summary shows.
inline constexpr int kDebtBox = 146;        // "Renta", "TOTAL DEUDA"
inline constexpr int kPaidBox = 180;        // "Renta", "MONTO PAGO"
inline constexpr int kTotalPaidBox = 598;   // "TOTAL:", under "MONTO PAGO"
inline constexpr int kRectifyingBox = 871;  // "RECTIFICATORIA"

// Boxes that DET may hold but the summary does not read.
bool isIgnoredBox(int box);

}  // namespace report
