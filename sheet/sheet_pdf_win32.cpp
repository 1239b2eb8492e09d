// The Windows build has no cairo and pango: no printable sheet.
#include "sheet/sheet.h"

bool SheetPdfAvailable() { return false; }

bool SheetPdf(const Sheet&, std::vector<uint8_t>& out, std::string* error) {
  out.clear();
  if (error) *error = "PDF is not available in this build";
  return false;
}
