#include "export/vuzExportDialogUtils.h"

#include <cctype>

namespace report {

bool vuzExportPageNumberKey(char key) {
  return std::isdigit(static_cast<unsigned char>(key)) || key == ',' || key == '-' || key == '\b';
}

}  // namespace report
