#include "audio/channel_layout.h"

namespace zaudio {

std::vector<Speaker> SpeakersFor(DWORD channels) {
  using S = Speaker;
  switch (channels) {
    case 1:
      return {S::Mono};
    case 2:
      return {S::FrontLeft, S::FrontRight};
    case 3:
      return {S::FrontLeft, S::FrontRight, S::FrontCenter};
    case 4:
      return {S::FrontLeft, S::FrontRight, S::RearLeft, S::RearRight};
    case 5:
      return {S::FrontLeft, S::FrontRight, S::FrontCenter, S::RearLeft, S::RearRight};
    case 6:
      return {S::FrontLeft, S::FrontRight, S::FrontCenter, S::Lfe, S::RearLeft, S::RearRight};
    case 7:
      return {S::FrontLeft, S::FrontRight, S::FrontCenter, S::Lfe, S::RearCenter, S::SideLeft, S::SideRight};
    case 8:
      return {S::FrontLeft, S::FrontRight, S::FrontCenter, S::Lfe,
              S::RearLeft,  S::RearRight,  S::SideLeft,    S::SideRight};
    default:
      return {};
  }
}

std::uint32_t SpeakerMaskFor(DWORD channels) {
  std::uint32_t mask = 0;
  for (Speaker s : SpeakersFor(channels)) {
    switch (s) {
      case Speaker::Mono:
      case Speaker::FrontCenter: mask |= 0x4; break;
      case Speaker::FrontLeft: mask |= 0x1; break;
      case Speaker::FrontRight: mask |= 0x2; break;
      case Speaker::Lfe: mask |= 0x8; break;
      case Speaker::RearLeft: mask |= 0x10; break;
      case Speaker::RearRight: mask |= 0x20; break;
      case Speaker::RearCenter: mask |= 0x100; break;
      case Speaker::SideLeft: mask |= 0x200; break;
      case Speaker::SideRight: mask |= 0x400; break;
    }
  }
  return mask;
}

}  // namespace zaudio
