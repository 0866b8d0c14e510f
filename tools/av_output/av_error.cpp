#include "av_error.h"

#include <stdexcept>

extern "C" {
#include <libavutil/error.h>
}

namespace avout {

std::string ErrorText(int err) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  if (av_strerror(err, text, sizeof text) < 0) return "error " + std::to_string(err);
  return text;
}

int Check(int ret, const std::string& what) {
  if (ret < 0) throw std::runtime_error(what + ": " + ErrorText(ret));
  return ret;
}

}  // namespace avout
