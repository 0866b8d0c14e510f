#include "audio/error_state.h"

#include "audio/zaudio.h"

namespace zaudio::detail {
namespace {
thread_local int t_error = OK;
}
void SetError(int code) { t_error = code; }
int LastError() { return t_error; }
}  // namespace zaudio::detail

int zaudio::ErrorGetCode() { return detail::LastError(); }
