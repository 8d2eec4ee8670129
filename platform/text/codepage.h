// 8-bit code pages: Windows-1252 (the 8-bit functions' default, CP_ACP), ISO-8859-1 (28591) and
// UTF-8, with the window system's conversion calls and string helpers for the project's own code.
#pragma once

#include <string>
#include <string_view>

#include "platform/base/types.h"

#define CP_ACP 0
#define CP_OEMCP 1
#define CP_THREAD_ACP 3
#define CP_UTF8 65001

#define MB_PRECOMPOSED 0x00000001
#define MB_ERR_INVALID_CHARS 0x00000008
#define WC_ERR_INVALID_CHARS 0x00000080
#define WC_NO_BEST_FIT_CHARS 0x00000400

#ifndef ERROR_NO_UNICODE_TRANSLATION
#define ERROR_NO_UNICODE_TRANSLATION 1113L
#endif

// cbMultiByte / cchWideChar of -1 takes the input up to and including its terminator. An output
// size of 0 asks for the size needed. Failures return 0 and set the last error
// (ERROR_INVALID_PARAMETER, ERROR_INSUFFICIENT_BUFFER, ERROR_NO_UNICODE_TRANSLATION).
int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR multiByte, int cbMultiByte, LPWSTR wide, int cchWide);
int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wide, int cchWide, LPSTR multiByte, int cbMultiByte,
                        LPCSTR defaultChar, LPBOOL usedDefaultChar);

namespace ce::text {

constexpr UINT kCodePageWindows1252 = 1252;
constexpr UINT kCodePageLatin1 = 28591;

// CP_ACP, CP_OEMCP and CP_THREAD_ACP are 1252 here.
bool IsSupportedCodePage(UINT codePage);

// Every byte has a character in 1252 and 8859-1; invalid UTF-8 becomes U+FFFD.
// An unsupported code page gives an empty result.
std::u16string FromCodePage(std::string_view text, UINT codePage = CP_ACP);
// Characters the code page lacks become '?' (usedDefault, when given, is set); lone surrogates
// become U+FFFD in UTF-8.
std::string ToCodePage(std::u16string_view text, UINT codePage = CP_ACP, bool* usedDefault = nullptr);

}  // namespace ce::text
