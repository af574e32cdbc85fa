// Windows' best-fit table for the ANSI code page (Windows-1252): the byte its
// default Unicode-to-ANSI conversion writes for a character the code page
// lacks. The table is data/bestfit-1252.tsv, as measured, built in.
#pragma once

namespace platform {

// The look-alike byte for `codePoint`, or '?' when Windows has none.
char bestFitByte(char32_t codePoint);

}  // namespace platform
