// The program's exceptions: a message text and nothing else. With the setting "debug_info" at 1
// every constructed exception makes the phone vibrate for 3 seconds on the constructing thread.
//
// The format constructors take printf-style formats with the argument types kept; a format whose
// conversions do not fit the arguments (a translated text, say) becomes the message as it stands.
// A ready-made text that may hold '%' is passed through the one-argument constructor, or as the
// argument of "%s".
#pragma once

#include <string>

#include "platform/base/types.h"
#include "platform/text/format.h"

class CBaseException {
 public:
  CBaseException();  // empty message
  explicit CBaseException(const WCHAR* message);
  template <class First, class... Rest>
  CBaseException(const WCHAR* format, const First& first, const Rest&... rest)
      : m_message(ce::text::FormatChecked(SafeView(format), first, rest...)) {
    Constructed();
  }
  virtual ~CBaseException() = default;
  CBaseException(const CBaseException&) = default;  // a copy made while throwing does not vibrate
  CBaseException& operator=(const CBaseException&) = default;

  std::u16string GetMessage() const { return m_message; }
  // Shows the message in TeskaUtils' error box as "Error:" followed by the message.
  virtual void ShowError();

 protected:
  void SetMessage(std::u16string message) { m_message = std::move(message); }
  static std::u16string_view SafeView(const WCHAR* text) { return text ? std::u16string_view(text) : std::u16string_view(); }

 private:
  // Reads "debug_info" and vibrates for 3000 ms when it is 1.
  static void Constructed();

  std::u16string m_message;
};

// Database failures.
class CExceptionDB : public CBaseException {
 public:
  explicit CExceptionDB(const WCHAR* message) : CBaseException(message) {}
  // Builds the base with the empty constructor, then formats the message.
  template <class First, class... Rest>
  CExceptionDB(const WCHAR* format, const First& first, const Rest&... rest) : CBaseException() {
    SetMessage(ce::text::FormatChecked(SafeView(format), first, rest...));
  }
};

// A record that was looked for is absent.
class CFindNotFoundDB : public CExceptionDB {
 public:
  explicit CFindNotFoundDB(const WCHAR* message) : CExceptionDB(message) {}
  template <class First, class... Rest>
  CFindNotFoundDB(const WCHAR* format, const First& first, const Rest&... rest) : CExceptionDB(format, first, rest...) {}
};
