#include "platform/text/codepage.h"

#include <array>

#include "platform/base/errors.h"
#include "platform/text/utf.h"

// The kernel area keeps the per-thread last error; it is looked up at load time so that this
// library does not depend on the kernel library.
void SetLastError(DWORD error) __attribute__((weak));

namespace ce::text {
namespace {

void SetError(DWORD error) {
  if (&::SetLastError != nullptr) ::SetLastError(error);
}

// 0x80..0x9F of Windows-1252; the five bytes the code page leaves free map to the C1 controls.
constexpr std::array<char16_t, 32> k1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

UINT Resolve(UINT codePage) {
  switch (codePage) {
    case CP_ACP:
    case CP_OEMCP:
    case CP_THREAD_ACP:
      return kCodePageWindows1252;
    default:
      return codePage;
  }
}

// The byte for a character in a single-byte code page, or -1.
int SingleByte(char16_t c, UINT codePage) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return c;
  if (codePage == kCodePageLatin1) return c <= 0xFF ? c : -1;
  for (std::size_t i = 0; i < k1252High.size(); ++i) {
    if (k1252High[i] == c) return static_cast<int>(0x80 + i);
  }
  return -1;
}

}  // namespace

bool IsSupportedCodePage(UINT codePage) {
  UINT cp = Resolve(codePage);
  return cp == kCodePageWindows1252 || cp == kCodePageLatin1 || cp == CP_UTF8;
}

std::u16string FromCodePage(std::string_view text, UINT codePage) {
  UINT cp = Resolve(codePage);
  if (cp == CP_UTF8) return FromUtf8(text);
  std::u16string out;
  if (cp != kCodePageWindows1252 && cp != kCodePageLatin1) return out;
  out.reserve(text.size());
  for (char ch : text) {
    unsigned char b = static_cast<unsigned char>(ch);
    out += (cp == kCodePageWindows1252 && b >= 0x80 && b <= 0x9F) ? k1252High[b - 0x80] : static_cast<char16_t>(b);
  }
  return out;
}

std::string ToCodePage(std::u16string_view text, UINT codePage, bool* usedDefault) {
  UINT cp = Resolve(codePage);
  if (usedDefault) *usedDefault = false;
  if (cp == CP_UTF8) return ToUtf8(text);
  std::string out;
  if (cp != kCodePageWindows1252 && cp != kCodePageLatin1) return out;
  out.reserve(text.size());
  for (char16_t c : text) {
    int b = SingleByte(c, cp);
    if (b < 0) {
      if (usedDefault) *usedDefault = true;
      b = '?';
    }
    out += static_cast<char>(b);
  }
  return out;
}

}  // namespace ce::text

using ce::text::FromCodePage;
using ce::text::ToCodePage;

int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR multiByte, int cbMultiByte, LPWSTR wide, int cchWide) {
  if (!ce::text::IsSupportedCodePage(codePage) || !multiByte || cbMultiByte == 0 || cbMultiByte < -1 ||
      cchWide < 0 || (cchWide > 0 && !wide) ||
      (cchWide > 0 && static_cast<const void*>(multiByte) == static_cast<const void*>(wide))) {
    ce::text::SetError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::string_view in = cbMultiByte == -1 ? std::string_view(multiByte, std::char_traits<char>::length(multiByte) + 1)
                                          : std::string_view(multiByte, static_cast<std::size_t>(cbMultiByte));
  std::u16string out = FromCodePage(in, codePage);
  if ((flags & MB_ERR_INVALID_CHARS) && codePage == CP_UTF8 && ce::text::ToUtf8(out) != in) {
    ce::text::SetError(ERROR_NO_UNICODE_TRANSLATION);
    return 0;
  }
  if (cchWide == 0) return static_cast<int>(out.size());
  if (out.size() > static_cast<std::size_t>(cchWide)) {
    ce::text::SetError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  out.copy(wide, out.size());
  return static_cast<int>(out.size());
}

int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wide, int cchWide, LPSTR multiByte, int cbMultiByte,
                        LPCSTR defaultChar, LPBOOL usedDefaultChar) {
  if (!ce::text::IsSupportedCodePage(codePage) || !wide || cchWide == 0 || cchWide < -1 || cbMultiByte < 0 ||
      (cbMultiByte > 0 && !multiByte) ||
      (cbMultiByte > 0 && static_cast<const void*>(multiByte) == static_cast<const void*>(wide)) ||
      (codePage == CP_UTF8 && (defaultChar || usedDefaultChar))) {
    ce::text::SetError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::u16string_view in = cchWide == -1 ? std::u16string_view(wide, ce::text::WideLength(wide) + 1)
                                         : std::u16string_view(wide, static_cast<std::size_t>(cchWide));
  bool used = false;
  std::string out = ToCodePage(in, codePage, &used);
  if (codePage == CP_UTF8 && (flags & WC_ERR_INVALID_CHARS) && ce::text::FromUtf8(out) != in) {
    ce::text::SetError(ERROR_NO_UNICODE_TRANSLATION);
    return 0;
  }
  if (used && defaultChar && *defaultChar) {
    // Put the caller's default character where '?' stood for a missing one.
    std::size_t k = 0;
    for (char16_t c : in) {
      if (c != u'?' && out[k] == '?') out[k] = *defaultChar;
      ++k;
    }
  }
  if (usedDefaultChar) *usedDefaultChar = used ? TRUE : FALSE;
  if (cbMultiByte == 0) return static_cast<int>(out.size());
  if (out.size() > static_cast<std::size_t>(cbMultiByte)) {
    ce::text::SetError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  out.copy(multiByte, out.size());
  return static_cast<int>(out.size());
}
