// The last error of each thread, as ErrorGetCode() reports it.
#pragma once

namespace zaudio::detail {
void SetError(int code);
int LastError();

// Sets the error and returns the given failure value, for one-line returns.
template <typename T>
T Fail(int code, T value) {
  SetError(code);
  return value;
}
}  // namespace zaudio::detail
