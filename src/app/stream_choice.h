// Which of the library's stream creators opens a listed recording: chosen
// by the format the list says it was recorded in.
#pragma once

#include <string>

#include "audio/zaudio.h"

using StreamCreator = zaudio::HSTREAM (*)(bool, const char*, zaudio::QWORD, zaudio::QWORD, zaudio::DWORD);

// "AAC" recordings are ADTS when their extension is ".aac" (any case), MP4
// otherwise; WAV, MP3, OGG and anything unknown go to the plain creator.
StreamCreator StreamCreatorFor(const std::string& type, const std::string& fullPath);
