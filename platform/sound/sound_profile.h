// The shell's sound-event settings: the sound (or vibration, or silence) of each event, and the
// list of sound files the user can choose from. Kept in the registry under HKEY_CURRENT_USER
// "\ControlPanel\SoundEvents\<event number>" ("Sound": the path, "Type": the sound type), shared
// by the device's processes.
#pragma once

#include "platform/base/errors.h"
#include "platform/base/types.h"

enum SND_EVENT : int {
  SND_EVENT_ALL = 0,
  SND_EVENT_RINGTONELINE1 = 1,
  SND_EVENT_RINGTONELINE2 = 2,
  SND_EVENT_KNOWNCALLERRINGTONELINE1 = 3,
  SND_EVENT_ROAMINGRINGTONELINE1 = 4,
  SND_EVENT_RINGTONEVOIP = 5,
  SND_EVENT_LAST = SND_EVENT_RINGTONEVOIP,
};

enum SND_SOUNDTYPE : int {
  SND_SOUNDTYPE_ON = 0,
  SND_SOUNDTYPE_FILE = 1,
  SND_SOUNDTYPE_VIBRATE = 2,
  SND_SOUNDTYPE_NONE = 3,
  SND_SOUNDTYPE_DISABLE = 4,
  SND_SOUNDTYPE_LAST = SND_SOUNDTYPE_DISABLE,
};

struct SNDFILEINFO {
  WCHAR szPathName[MAX_PATH];
  WCHAR szDisplayName[MAX_PATH];
  SND_SOUNDTYPE sstType;
};

// Where SndGetSoundFileList looks: the storage card is not searched.
#define SND_LOCATION_STORAGECARD 0x01u
#define SND_LOCATION_USERDATA 0x02u  // "\My Documents\My Ringtones"
#define SND_LOCATION_ROM 0x04u       // "\Windows\Rings"
#define SND_LOCATION_ALL 0xFFu

// S_OK; E_INVALIDARG for an unknown event, a null record, or (setting) an unknown type or a file
// type without a path. An event never set reads as SND_SOUNDTYPE_ON with no path.
HRESULT SndGetSound(SND_EVENT event, SNDFILEINFO* info);
HRESULT SndSetSound(SND_EVENT event, const SNDFILEINFO* info, BOOL suppress_ui);
// The wave, MIDI, WMA and MP3 files of the chosen locations, sorted by display name (the file
// name without extension), as one LocalAlloc'd array the caller frees with LocalFree.
HRESULT SndGetSoundFileList(SND_EVENT event, DWORD locations, SNDFILEINFO** list, int* count);
