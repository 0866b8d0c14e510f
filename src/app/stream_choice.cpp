#include "app/stream_choice.h"

#include <algorithm>
#include <cctype>

StreamCreator StreamCreatorFor(const std::string& type, const std::string& fullPath) {
  if (type == "WMA") return zaudio::WMA_StreamCreateFile;
  if (type == "MPC") return zaudio::MPC_StreamCreateFile;
  if (type == "AAC") {
    const std::size_t dot = fullPath.rfind('.');
    std::string ext = dot == std::string::npos || fullPath.find('/', dot) != std::string::npos ? "" : fullPath.substr(dot);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    return ext == ".aac" ? zaudio::AAC_StreamCreateFile : zaudio::MP4_StreamCreateFile;
  }
  if (type == "WV") return zaudio::WV_StreamCreateFile;
  if (type == "FLAC") return zaudio::FLAC_StreamCreateFile;
  if (type == "TTA") return zaudio::TTA_StreamCreateFile;
  if (type == "APE") return zaudio::APE_StreamCreateFile;
  if (type == "SPX") return zaudio::SPX_StreamCreateFile;
  return zaudio::StreamCreateFile;
}
