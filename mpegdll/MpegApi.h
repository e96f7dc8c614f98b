#pragma once
// The calling interface of QbMpegDll.dll, shared by the library and the
// component that loads it. Every function uses the Windows API calling
// convention; booleans are one byte.
#include <cstdint>

#if defined(_WIN32)
#define QB_MPEG_CALL __stdcall
#else
#define QB_MPEG_CALL
#endif

namespace qb::mpegapi {

// Stream callbacks, each called with the context "Open" received. The user
// context is pointer-sized so that a 64-bit caller can keep an address there.
using OpenStreamProc = void(QB_MPEG_CALL*)(void* context, uint8_t* nonSeekable, void** user);
using CloseStreamProc = void(QB_MPEG_CALL*)(void* context, void* user);
using RestartStreamProc = void(QB_MPEG_CALL*)(void* context, void* user, uint8_t* result);
using ReadStreamProc = void(QB_MPEG_CALL*)(void* context, void* user, void* buffer, int32_t toRead, int32_t* read,
                                           uint8_t* result);
using SeekStreamProc = void(QB_MPEG_CALL*)(void* context, void* user, int32_t bytes, int32_t moveMethod,
                                           int32_t* result);
using GetStreamSizeProc = void(QB_MPEG_CALL*)(void* context, void* user, int32_t* result);

using InitProc = uint8_t(QB_MPEG_CALL*)();
using VoidProc = void(QB_MPEG_CALL*)();
using OpenProc = void(QB_MPEG_CALL*)(const char* fileName, int32_t fromStream, OpenStreamProc, CloseStreamProc,
                                     RestartStreamProc, ReadStreamProc, SeekStreamProc, GetStreamSizeProc,
                                     void* context);
using PlayProc = int32_t(QB_MPEG_CALL*)(int32_t startPos, int32_t endPos, uint8_t* ended);
using PauseProc = void(QB_MPEG_CALL*)(uint8_t resume);
using IntArgProc = void(QB_MPEG_CALL*)(int32_t value);
using SetOutputDeviceProc = void(QB_MPEG_CALL*)(int32_t device, const char* fileName);
using IntResultProc = int32_t(QB_MPEG_CALL*)();

// Seek moves of the seek callback.
inline constexpr int32_t kSeekFromStart = 0;

}  // namespace qb::mpegapi
