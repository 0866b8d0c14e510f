// Our -q scale, 10..500, in the AAC encoder's terms: its variable-bitrate
// quality and the audio bandwidth.
#pragma once

namespace faac {

constexpr int kMinQuality = 10;
constexpr int kMaxQuality = 500;
constexpr int kDefaultQuality = 100;

// The encoder's quality (the value of ffmpeg's -q:a) for -q. That scale is
// useful from 0.1 to 2; beyond 2 files stop growing and even shrink. Two
// straight pieces keep it rising throughout:
//   10..100  -> 0.1..1   (q / 100)
//   100..500 -> 1..2     (1 + (q - 100) / 400)
double EncoderQuality(int q);

// The bandwidth in Hz for -q when -c does not set one. Left to itself the
// encoder narrows the band frame by frame, and its file sizes then jump up
// and down as the quality rises; a band that widens with -q keeps a higher
// -q a larger file. Straight pieces between
//   -q 10: 4 kHz, 30: 10 kHz, 50: 15 kHz, 100 and above: 20 kHz,
// which give about the sizes the encoder gives by itself (stereo: some 25,
// 45, 70 and 115 kbps at 10, 30, 50 and 100; up to 230 kbps at 500).
int QualityCutoffHz(int q);

}  // namespace faac
