#include "audio/backend.h"

namespace zaudio {

int Backend::openCapture(int device, bool includeLoopback) {
  if (device == -1) return openCapture(std::string());
  const auto devices = captureDevices(includeLoopback);
  if (device < 0 || static_cast<size_t>(device) >= devices.size()) return ERROR_DEVICE;
  return openCapture(devices[device].id);
}

}  // namespace zaudio
