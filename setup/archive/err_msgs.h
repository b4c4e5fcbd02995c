// The archive component's messages, by code.
#pragma once

#include <string>

namespace zarn3set {

enum TMsgCode : int {
  M_NONE = 0,
  M_UNRARDLL_NOT_FOUND,
  M_INVALID_FILE_NAME,
  M_INVALID_ARC_TYPE,
  M_FILE_NOT_FOUND,
  M_BAD_FILE_HEADER,
  M_INVALID_PASSWORD,
  M_CRC_FAILED,
  M_NOT_ACCESSIBLE,
  M_EOF_NOT_FOUND,
  M_OUT_OF_MEMORY,
  M_ERROR_OPENING,
  M_ERROR_WRITING,
  M_ERROR_CLOSING,
  M_ERROR_READING,
  M_BROKEN_VOLUMES,
  M_LAST = M_BROKEN_VOLUMES,
};

// The text of a message code; empty for M_NONE or an unknown code.
const std::string& MessageText(int code);

}  // namespace zarn3set
