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
using HCHANNEL = DWORD;
using QWORD = std::uint64_t;
using HRECORD = DWORD;
using HSTREAM = DWORD;
using HFX = DWORD;
using HDSP = DWORD;
using HSYNC = DWORD;
using HENCODE = DWORD;

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
  ERROR_POSITION = 7,
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
  ERROR_DECODE = 38,
  ERROR_FILEFORM = 41,
  ERROR_ENDED = 45,
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

// Stream flags.
constexpr DWORD STREAM_DECODE = 0x200000;  // no playback: the caller pulls the data (ChannelGetData)
constexpr DWORD MIXER_END = 0x10000;       // a mixer ends once it has no source left with data
constexpr DWORD SPEAKER_FRONT = 0x1000000; // mixer source: to the front speakers (a stereo mixer's only pair)

// StreamPutData: the stream has received its last data.
constexpr DWORD STREAMPROC_END = 0x80000000;
// The only stream kind: the caller pushes the data in.
enum StreamProcKind : int { STREAMPROC_PUSH = -1 };

// ChannelGetData: the value returned on failure.
constexpr DWORD DATA_ERROR = 0xFFFFFFFF;
// ChannelGetData length: 512 magnitudes of a 1024-sample FFT of the last
// frames captured or heard (mono mix, Hann window), as floats; a full-scale
// sine on a bin reads 1.0 there.
constexpr DWORD DATA_FFT1024 = 0x80000002;

// Position modes of ChannelGetLength, ChannelGetPosition, ChannelSetPosition.
constexpr DWORD POS_BYTE = 0;

// Channel types (ChannelInfo::ctype).
constexpr DWORD CTYPE_RECORD = 2;
constexpr DWORD CTYPE_STREAM = 0x10000;
constexpr DWORD CTYPE_STREAM_OGG = 0x10002;
constexpr DWORD CTYPE_STREAM_MP1 = 0x10003;
constexpr DWORD CTYPE_STREAM_MP2 = 0x10004;
constexpr DWORD CTYPE_STREAM_MP3 = 0x10005;
constexpr DWORD CTYPE_STREAM_WMA = 0x10300;
constexpr DWORD CTYPE_STREAM_WV = 0x10500;
constexpr DWORD CTYPE_STREAM_APE = 0x10700;
constexpr DWORD CTYPE_STREAM_MIXER = 0x10800;
constexpr DWORD CTYPE_STREAM_FLAC = 0x10900;
constexpr DWORD CTYPE_STREAM_FLAC_OGG = 0x10901;
constexpr DWORD CTYPE_STREAM_MPC = 0x10a00;
constexpr DWORD CTYPE_STREAM_AAC = 0x10b00;
constexpr DWORD CTYPE_STREAM_MP4 = 0x10b01;
constexpr DWORD CTYPE_STREAM_SPX = 0x10c00;
constexpr DWORD CTYPE_STREAM_TTA = 0x10f00;
constexpr DWORD CTYPE_STREAM_WAV = 0x40000;  // | the format tag: 1 PCM, 3 float
constexpr DWORD CTYPE_STREAM_WAV_PCM = 0x50001;
constexpr DWORD CTYPE_STREAM_WAV_FLOAT = 0x50003;

// Sync types.
constexpr DWORD SYNC_END = 2;        // the channel reached its end
constexpr DWORD SYNC_DEV_FAIL = 14;  // the device (or the sound server) went away; the capture has ended

// Encoder flags, counts and notifications: ENCODE_FP_*, ENCODE_PCM, ENCODE_NOTIFY_*.
constexpr DWORD ENCODE_COUNT_IN = 0;  // Encode_GetCount: bytes taken in, after the conversion

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

// A hard-knee compressor, one gain for all channels.
struct DX8_COMPRESSOR {
  float fGain = 0.0f;         // make-up gain, dB (-60..60)
  float fAttack = 10.0f;      // ms (0.01..500): time constant of a falling gain
  float fRelease = 200.0f;    // ms (0..3000): time constant of a rising gain
  float fThreshold = -20.0f;  // dB (-60..0)
  float fRatio = 3.0f;        // 1..100: above the threshold the output rises 1/ratio dB per dB
  float fPredelay = 4.0f;     // ms (0..4): look-ahead
};

// An automatic gain control ("dynamic amplification"), one gain for all channels.
struct BFX_DAMP {
  float fTarget = 1.0f;   // target peak level (linear)
  float fQuiet = 0.0f;    // peaks below this are not amplified (linear)
  float fRate = 0.0f;     // part of the gap to the target gain closed per 10 ms
  float fGain = 1.0f;     // starting gain (linear)
  float fDelay = 0.0f;    // seconds below the target before the gain rises
  int lChannel = BFX_CHANALL;
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

struct ChannelInfo {
  DWORD freq = 0;   // sample rate
  DWORD chans = 0;  // channel count
  DWORD flags = 0;  // the flags the channel was made with (STREAM_DECODE, sample flags)
  DWORD ctype = 0;  // CTYPE_*
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
// Works on a channel's samples in place, in the channel's own sample type.
using DSPPROC = std::function<void(HDSP handle, DWORD channel, void* buffer, DWORD length, void* user)>;
// A sync fired on a library thread; it must not wait for anything.
using SYNCPROC = std::function<void(HSYNC handle, DWORD channel, DWORD data, void* user)>;
// An encoder ended on its own (status ENCODE_NOTIFY_*); on the encoder's thread, at most once.
using ENCODENOTIFYPROC = std::function<void(HENCODE handle, DWORD status, void* user)>;

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
// Up to 8 channels, in the order front left, front right, centre, LFE,
// rear left, rear right, side left, side right (fewer: the first ones).
HRECORD RecordStart(DWORD freq, DWORD chans, DWORD flags, RECORDPROC proc);

// Channels.
bool ChannelPlay(DWORD handle, bool restart);
bool ChannelPause(DWORD handle);
bool ChannelStop(DWORD handle);
DWORD ChannelIsActive(DWORD handle);
DWORD ChannelGetLevel(DWORD handle);  // left low word, right high word; 0xFFFFFFFF on failure
// The longest a block of the channel took to process so far (chain,
// encoders and the capture callback), in microseconds: what a capture
// thread spent at most on one block.
QWORD ChannelGetLongestBlockTime(DWORD handle);
// Pulls processed data from a decode channel: the bytes delivered (0 when none
// is ready yet), DATA_ERROR on failure (ERROR_ENDED once a stream has ended).
// With length DATA_FFT1024 (a recording or a playing stream): 512 floats.
DWORD ChannelGetData(DWORD handle, void* buffer, DWORD length);
bool ChannelGetInfo(DWORD handle, ChannelInfo* info);
// Positions and lengths in bytes of the channel's own sample format (mode
// POS_BYTE); QWORD(-1) on failure. The length is what the stream delivers
// from its start to its end; the position of a playing stream is what has
// been heard. Setting a position is exact to the sample; past the end it
// fails with ERROR_POSITION and the stream goes on where it was.
QWORD ChannelGetLength(DWORD handle, DWORD mode = POS_BYTE);
QWORD ChannelGetPosition(DWORD handle, DWORD mode = POS_BYTE);
bool ChannelSetPosition(DWORD handle, QWORD pos, DWORD mode = POS_BYTE);
QWORD ChannelSeconds2Bytes(DWORD handle, double seconds);  // whole frames, rounded down
double ChannelBytes2Seconds(DWORD handle, QWORD bytes);     // negative on failure
// While locked, no block of the channel is processed (the capture callback,
// the chain and the encoders wait). Unlock on the thread that locked.
bool ChannelLock(DWORD handle, bool lock);
// The processing chain: effects and DSP functions, the highest priority
// first. Among equal priorities the volume effect comes first, then the
// compressor, then the gain control, then everything else in the order set.
// Encoders, the level meter and the capture callback see the chain's output.
HFX ChannelSetFX(DWORD handle, DWORD type, int priority);
bool ChannelRemoveFX(DWORD handle, HFX fx);
bool FXGetParameters(HFX fx, void* params);
bool FXSetParameters(HFX fx, const void* params);
HDSP ChannelSetDSP(DWORD handle, DSPPROC proc, void* user, int priority);
bool ChannelRemoveDSP(DWORD handle, HDSP dsp);
HSYNC ChannelSetSync(DWORD handle, DWORD type, QWORD param, SYNCPROC proc, void* user);
bool ChannelRemoveSync(DWORD handle, HSYNC sync);

// Streams. A push stream is fed with StreamPutData; flags: sample flags and
// STREAM_DECODE. StreamPutData returns the bytes queued, DATA_ERROR on failure;
// length STREAMPROC_END (with or without data) marks the end.
HSTREAM StreamCreate(DWORD freq, DWORD chans, DWORD flags, StreamProcKind proc);
DWORD StreamPutData(HSTREAM handle, const void* buffer, DWORD length);
bool StreamFree(HSTREAM handle);

// File streams: decode a file (mem false: file is a path, offset and length
// (0: to its end) choose the bytes read) or a block of memory (mem true: file
// points to length bytes that must stay valid until StreamFree) to
// interleaved 16-bit samples at the file's own rate and channels. flags:
// STREAM_DECODE for a stream the caller pulls with ChannelGetData; otherwise
// it plays through the output (Init first). Each creator opens only its own
// formats; any other file fails with ERROR_FILEFORM, an unreadable one with
// ERROR_FILEOPEN.
//   StreamCreateFile: WAV (PCM, float, RF64), MP3 (and MP1/MP2), Ogg Vorbis.
HSTREAM StreamCreateFile(bool mem, const char* file, QWORD offset, QWORD length, DWORD flags);
HSTREAM AAC_StreamCreateFile(bool mem, const char* file, QWORD offset, QWORD length, DWORD flags);   // ADTS
HSTREAM MP4_StreamCreateFile(bool mem, const char* file, QWORD offset, QWORD length, DWORD flags);   // MP4/M4A
HSTREAM APE_StreamCreateFile(bool mem, const char* file, QWORD offset, QWORD length, DWORD flags);   // Monkey's Audio
HSTREAM FLAC_StreamCreateFile(bool mem, const char* file, QWORD offset, QWORD length, DWORD flags);  // FLAC, Ogg FLAC
HSTREAM MPC_StreamCreateFile(bool mem, const char* file, QWORD offset, QWORD length, DWORD flags);   // Musepack SV7, SV8
HSTREAM SPX_StreamCreateFile(bool mem, const char* file, QWORD offset, QWORD length, DWORD flags);   // Ogg Speex
HSTREAM TTA_StreamCreateFile(bool mem, const char* file, QWORD offset, QWORD length, DWORD flags);   // True Audio
HSTREAM WV_StreamCreateFile(bool mem, const char* file, QWORD offset, QWORD length, DWORD flags);    // WavPack
HSTREAM WMA_StreamCreateFile(bool mem, const char* file, QWORD offset, QWORD length, DWORD flags);   // WMA in ASF

// Mixer: sums its sources, each resampled and remixed to the mixer's rate,
// channels and sample type (more channels than the mixer has are downmixed,
// a mono source goes to both sides of a stereo mixer). Sources must be decode
// channels; flags: sample flags, STREAM_DECODE, MIXER_END.
HSTREAM Mixer_StreamCreate(DWORD freq, DWORD chans, DWORD flags);
bool Mixer_StreamAddChannel(HSTREAM mixer, DWORD channel, DWORD flags);

// Encoders on a channel: each gets the channel's processed blocks. target is
// a file (with ENCODE_PCM: a WAV file) or a command line whose program gets a
// WAV stream on its standard input. Writing happens on the encoder's own
// thread; a capture never waits for it. An encoder is stopped and freed with
// its channel.
HENCODE Encode_Start(DWORD handle, const char* target, DWORD flags, void* proc, void* user);
// handle: an encoder, or a channel (all of its encoders). Waits until the
// output is complete; false when the encoder had failed.
bool Encode_Stop(DWORD handle);
bool Encode_SetPaused(HENCODE handle, bool paused);
QWORD Encode_GetCount(HENCODE handle, DWORD count);  // QWORD(-1) on failure
DWORD Encode_IsActive(HENCODE handle);  // ACTIVE_STOPPED after a failure or a stop
bool Encode_SetNotify(HENCODE handle, ENCODENOTIFYPROC proc, void* user);
// What an encoder program last wrote to its error output, or why writing a
// file failed; empty when nothing was said.
std::string Encode_GetMessage(HENCODE handle);

}  // namespace zaudio

// The encoder flags and notification statuses.
#include "audio/encode/encode_flags.h"
