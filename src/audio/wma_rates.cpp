#include "audio/wma_rates.h"

#include <array>

#include "audio/error_state.h"

namespace zaudio {
namespace {

// The usual WMA bitrates. The standard codec (WMA version 2) opens with each
// of them at every rate up to 48000 Hz, mono or stereo, and refuses higher
// rates; the tests hold this against the codec itself. Knowing it here keeps
// the codec libraries unloaded until a WMA file is really written.
constexpr std::array<DWORD, 12> kBitrates = {24000,  32000,  40000,  48000,  64000,  80000,
                                             96000, 128000, 160000, 192000, 256000, 320000};
constexpr DWORD kHighestRate = 48000;

}  // namespace

std::vector<DWORD> WMA_EncodeGetRates(DWORD freq, DWORD chans, DWORD flags) {
  // Nothing here encodes the Pro formats, and the standard codec has no
  // quality-based mode (it only takes a bitrate).
  if (flags & (WMA_ENCODE_PRO | WMA_ENCODE_24BIT)) return detail::Fail(ERROR_NOTAVAIL, std::vector<DWORD>{});
  if (flags & WMA_ENCODE_RATES_VBR) return detail::Fail(ERROR_NOTAVAIL, std::vector<DWORD>{});
  if (freq == 0 || freq > kHighestRate || chans < 1 || chans > 2)
    return detail::Fail(ERROR_FORMAT, std::vector<DWORD>{});
  detail::SetError(OK);
  return {kBitrates.begin(), kBitrates.end()};
}

}  // namespace zaudio
