#include "setup/archive/err_msgs.h"

#include <array>

namespace zarn3set {

const std::string& MessageText(int code) {
  static const std::array<std::string, M_LAST + 1> texts = {
      "",
      "Unrar.dll not found",
      "Invalid file name",
      "Invalid or unsupported archive type for this operation",
      "File not found",
      "Bad file header",
      "Invalid password",
      "File fails CRC check",
      "is not accessible.",
      "EOF not found",
      "Out of memory",
      "Error opening file",
      "Error writing to file",
      "Error closing file",
      "Error reading file or unexpected end of file",
      "Broken multi-volume chain",
  };
  return code >= 0 && code <= M_LAST ? texts[static_cast<std::size_t>(code)] : texts[0];
}

}  // namespace zarn3set
