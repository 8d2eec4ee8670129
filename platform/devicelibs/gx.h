// gx.dll: the game input calls. Hardware keys already reach the program's windows as key messages,
// so opening and closing the input only records that it happened.
#pragma once

#include "platform/base/types.h"

struct GXKeyList {
  short vkUp;
  POINT ptUp;
  short vkDown;
  POINT ptDown;
  short vkLeft;
  POINT ptLeft;
  short vkRight;
  POINT ptRight;
  short vkA;
  POINT ptA;
  short vkB;
  POINT ptB;
  short vkC;
  POINT ptC;
  short vkStart;
  POINT ptStart;
};

constexpr int GX_NORMALKEYS = 0x02;
constexpr int GX_LANDSCAPEKEYS = 0x03;

// Nonzero on success; a second open while open fails (0).
int GXOpenInput();
// Nonzero on success; 0 when the input is not open.
int GXCloseInput();
// The device's pad, action and start keys (one layout for GX_NORMALKEYS and GX_LANDSCAPEKEYS).
GXKeyList GXGetDefaultKeys(int options);
