// The audio library: capture, channels and effects behind 32-bit handles,
// with numbered flags, constants and error codes, callbacks on the backend's
// own threads and the last error of each thread kept for ErrorGetCode().
// Backends (PulseAudio, the virtual test backend) sit behind backend.h.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace zaudio {

using DWORD = std::uint32_t;
using HRECORD = DWORD;
using HCHANNEL = DWORD;
using HFX = DWORD;

// Library versions; a caller accepts the library when the high word matches.
constexpr DWORD VERSION = 0x02040F00;
constexpr DWORD FX_VERSION = 0x02040C00;
constexpr DWORD VERSION_MAJOR_WORD = 0x0204;

// Error codes.
enum : int {
  OK = 0,
  ERROR_MEM = 1,
  ERROR_FILEOPEN = 2,
  ERROR_DRIVER = 3,
  ERROR_HANDLE = 5,
  ERROR_FORMAT = 6,
  ERROR_INIT = 8,
  ERROR_START = 9,
  ERROR_ALREADY = 14,
  ERROR_ILLTYPE = 19,
  ERROR_ILLPARAM = 20,
  ERROR_DEVICE = 23,
  ERROR_NOPLAY = 24,
  ERROR_FREQ = 25,
  ERROR_NOFX = 34,
  ERROR_NOTAVAIL = 37,
  ERROR_UNKNOWN = -1,
};

// Config options.
constexpr DWORD CONFIG_REC_LOOPBACK = 28;  // list loopback devices among capture devices

// Device flags.
constexpr DWORD DEVICE_ENABLED = 1;
constexpr DWORD DEVICE_DEFAULT = 2;
constexpr DWORD DEVICE_INIT = 4;
constexpr DWORD DEVICE_LOOPBACK = 8;

// Sample and recording flags.
constexpr DWORD SAMPLE_8BITS = 1;
constexpr DWORD SAMPLE_FLOAT = 0x100;
constexpr DWORD RECORD_PAUSE = 0x8000;

// Input flags of RecordGetInput / RecordSetInput.
constexpr DWORD INPUT_OFF = 0x10000;
constexpr DWORD INPUT_ON = 0x20000;
constexpr DWORD INPUT_TYPE_MASK = 0xff000000;
constexpr DWORD INPUT_TYPE_UNDEF = 0x00000000;
constexpr DWORD INPUT_TYPE_DIGITAL = 0x01000000;
constexpr DWORD INPUT_TYPE_LINE = 0x02000000;
constexpr DWORD INPUT_TYPE_MIC = 0x03000000;
constexpr DWORD INPUT_TYPE_SYNTH = 0x04000000;
constexpr DWORD INPUT_TYPE_CD = 0x05000000;
constexpr DWORD INPUT_TYPE_PHONE = 0x06000000;
constexpr DWORD INPUT_TYPE_SPEAKERS = 0x07000000;
constexpr DWORD INPUT_TYPE_WAVE = 0x08000000;
constexpr DWORD INPUT_TYPE_AUX = 0x09000000;
constexpr DWORD INPUT_TYPE_ANALOG = 0x0a000000;

// ChannelIsActive results.
constexpr DWORD ACTIVE_STOPPED = 0;
constexpr DWORD ACTIVE_PLAYING = 1;
constexpr DWORD ACTIVE_STALLED = 2;
constexpr DWORD ACTIVE_PAUSED = 3;

// Effect types and their parameter records.
constexpr DWORD FX_DX8_COMPRESSOR = 1;
constexpr DWORD FX_BFX_VOLUME = 0x10003;
constexpr DWORD FX_BFX_DAMP = 0x10008;

constexpr int BFX_CHANALL = -1;
struct BFX_VOLUME {
  int lChannel = 0;      // -1 all channels, 0 global, else channel number from 1
  float fVolume = 1.0f;  // linear gain
};

struct DeviceInfo {
  std::string name;
  std::string driver;  // the backend's own identifier of the device
  DWORD flags = 0;
};

struct Info {
  DWORD freq = 0;      // output rate
  DWORD speakers = 0;  // output channel count
};

struct RecordInfo {
  DWORD flags = 0;
  DWORD inputs = 0;
  bool singlein = false;  // only one input can be on at a time
  DWORD freq = 0;         // the device's current rate
};

// Receives each captured buffer on the backend's thread; capture goes on while
// it returns true.
using RECORDPROC = std::function<bool(HRECORD handle, const void* buffer, DWORD length)>;

// Core.
DWORD GetVersion();
DWORD FX_GetVersion();
bool SetConfig(DWORD option, DWORD value);
DWORD GetConfig(DWORD option);
int ErrorGetCode();
bool Init(int device, DWORD freq, DWORD flags);
bool Free();
bool GetInfo(Info* info);
DWORD GetDevice();
bool GetDeviceInfo(DWORD device, DeviceInfo* info);
bool SetVolume(float volume);
float GetVolume();  // -1 on failure

// Recording.
bool RecordInit(int device);
bool RecordFree();
bool RecordGetDeviceInfo(DWORD device, DeviceInfo* info);
bool RecordGetInfo(RecordInfo* info);
const char* RecordGetInputName(int input);  // nullptr past the last input
DWORD RecordGetInput(int input, float* volume);  // 0xFFFFFFFF on failure
bool RecordSetInput(int input, DWORD flags, float volume);  // volume < 0 leaves it
HRECORD RecordStart(DWORD freq, DWORD chans, DWORD flags, RECORDPROC proc);

// Channels.
bool ChannelPlay(DWORD handle, bool restart);
bool ChannelPause(DWORD handle);
bool ChannelStop(DWORD handle);
DWORD ChannelIsActive(DWORD handle);
DWORD ChannelGetLevel(DWORD handle);  // left low word, right high word; 0xFFFFFFFF on failure
HFX ChannelSetFX(DWORD handle, DWORD type, int priority);
bool ChannelRemoveFX(DWORD handle, HFX fx);
bool FXGetParameters(HFX fx, void* params);
bool FXSetParameters(HFX fx, const void* params);

}  // namespace zaudio
