// Sounds and the speaker: playing wave sounds, the system beep, the wave output volume.
// Every call is recorded in the simulated device (see sound_effects.h); sounds are heard only
// through an output a live window installs.
#pragma once

#include "platform/base/types.h"

#define SND_SYNC 0x00000000u
#define SND_ASYNC 0x00000001u
#define SND_NODEFAULT 0x00000002u
#define SND_MEMORY 0x00000004u
#define SND_LOOP 0x00000008u
#define SND_NOSTOP 0x00000010u
#define SND_NOWAIT 0x00002000u
#define SND_ALIAS 0x00010000u
#define SND_FILENAME 0x00020000u
#define SND_RESOURCE 0x00040004u

#define MB_OK 0x00000000u
#define MB_ICONHAND 0x00000010u
#define MB_ICONQUESTION 0x00000020u
#define MB_ICONEXCLAMATION 0x00000030u
#define MB_ICONASTERISK 0x00000040u

using MMRESULT = UINT;
#define MMSYSERR_NOERROR 0u
#define MMSYSERR_BADDEVICEID 2u
#define MMSYSERR_INVALHANDLE 5u
#define MMSYSERR_INVALPARAM 11u

CE_DECLARE_HANDLE(HWAVEOUT);
#define WAVE_MAPPER 0xFFFFFFFFu

// `sound` is a CE path (or, with SND_MEMORY, a wave image in memory); null stops the sound that
// plays. A synchronous play returns when the sound has ended, at once when nothing is heard. A
// file that does not exist or is no wave sound answers FALSE (after the default sound, unless
// SND_NODEFAULT).
BOOL sndPlaySoundW(LPCWSTR sound, UINT flags);
BOOL PlaySoundW(LPCWSTR sound, HMODULE module, DWORD flags);
BOOL MessageBeep(UINT type);

// The device's one wave output: a null handle or WAVE_MAPPER stands for it. The low word is the
// left channel, the high word the right. Kept in HKEY_CURRENT_USER "\ControlPanel\Volume"
// "Volume", shared by the device's processes.
MMRESULT waveOutSetVolume(HWAVEOUT device, DWORD volume);
MMRESULT waveOutGetVolume(HWAVEOUT device, LPDWORD volume);
