#include "encoders/wma_settings.h"

#include <algorithm>
#include <array>

#include "audio/wma_rates.h"

namespace {

// The WMA codecs stop short of 192000 Hz, so that choice records at 88200.
constexpr std::array<int, 9> kWmaSampleRates = {8000,  11025, 16000, 22050, 32000,
                                                44100, 48000, 96000, 88200};

constexpr int kHighestStandardRate = 48000;

// n / d rounded to the nearest integer, halves to even (n >= 0, d > 0).
long long DivideRoundHalfEven(long long n, long long d) {
  const long long quotient = n / d;
  const long long twiceRemainder = 2 * (n % d);
  if (twiceRemainder > d || (twiceRemainder == d && quotient % 2 != 0)) return quotient + 1;
  return quotient;
}

}  // namespace

int WmaSampleRateForIndex(int csampleIndex) {
  return kWmaSampleRates[std::clamp(csampleIndex, 0, static_cast<int>(kWmaSampleRates.size()) - 1)];
}

zaudio::DWORD WmaCodecFlag(int codecIndex) {
  switch (codecIndex) {
    case 1:
      return zaudio::WMA_ENCODE_PRO;
    case 2:
      return zaudio::WMA_ENCODE_24BIT;
    default:
      return zaudio::WMA_ENCODE_STANDARD;
  }
}

WmaRateLists QueryWmaRateLists(int csampleIndex, int channelIndex, int codecIndex, bool vbr) {
  WmaRateLists lists;
  const int rate = WmaSampleRateForIndex(csampleIndex);
  lists.forcePro24 = rate > kHighestStandardRate;
  if (lists.forcePro24) codecIndex = WmaPro24CodecIndex;

  zaudio::DWORD flags = WmaCodecFlag(codecIndex);
  if (vbr) flags |= zaudio::WMA_ENCODE_RATES_VBR;
  const auto values = zaudio::WMA_EncodeGetRates(static_cast<zaudio::DWORD>(rate),
                                                 static_cast<zaudio::DWORD>(channelIndex + 1), flags);
  for (zaudio::DWORD value : values) {
    if (vbr)
      lists.qualities << QString::number(value);
    else
      lists.bitrates << QString::number(value / 1000);
  }
  lists.ok = !values.empty();
  return lists;
}

int WmaNominalBitrate(bool cbr, const QString& cbrText, bool vbr, const QString& qualityText) {
  int result = 0;
  bool parsed = false;
  if (cbr && !cbrText.isEmpty()) {
    const int kbps = cbrText.trimmed().toInt(&parsed);
    if (parsed) result = kbps;
  }
  if (vbr && !qualityText.isEmpty()) {
    const int quality = qualityText.trimmed().toInt(&parsed);
    if (parsed && quality >= 0) result = static_cast<int>(DivideRoundHalfEven(quality * 320LL, 100));
  }
  return result;
}

std::optional<zaudio::DWORD> WmaWriterValue(bool vbr, const QString& qualityText, const QString& cbrText) {
  bool ok = false;
  const uint number = (vbr ? qualityText : cbrText).trimmed().toUInt(&ok);
  if (!ok || number == 0) return std::nullopt;
  return vbr ? number : number * 1000;
}
