// The one place where the library shows a message box.
#pragma once

#include <string_view>

#include "platform/base/types.h"

namespace teskautils {

constexpr UINT kBoxOk = 0x00000000u;
constexpr UINT kBoxYesNo = 0x00000004u;
constexpr UINT kBoxIconHand = 0x00000010u;
constexpr UINT kBoxIconQuestion = 0x00000020u;
constexpr UINT kBoxSetForeground = 0x00010000u;
constexpr UINT kBoxTopmost = 0x00040000u;
constexpr int kAnswerOk = 1;
constexpr int kAnswerYes = 6;
constexpr int kAnswerNo = 7;

// Shows the box and answers the button pressed.
int ShowMessageBox(HWND owner, std::u16string_view text, std::u16string_view caption, UINT flags);

}  // namespace teskautils
