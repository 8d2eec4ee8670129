// Reports of the last system error (logged) and of processor faults (shown in a text box).
#include <cstdarg>
#include <string>

#include "platform/kernel/last_error.h"
#include "platform/kernel/threads.h"
#include "platform/text/format.h"
#include "teskautils/TeskaUtils.h"
#include "teskautils/library_state.h"

namespace {

constexpr std::size_t kErrorReportChars = 5000;
constexpr std::size_t kFaultReportChars = 1000;

void ReportError(DWORD code, std::u16string text) {
  text += ce::text::Format(std::u16string_view(u".Cod:%d."), static_cast<int>(code));
  WCHAR system_text[512];
  const DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                                 system_text, 512, nullptr);
  if (n > 0) text.append(system_text, n);
  teskautils::CutTo(text, kErrorReportChars);
  Log(4, text.c_str());
}

struct FaultDescription {
  DWORD code;
  const char16_t* text;
};

// One sentence per fault code, each short enough for the text box with the fixed parts around it.
constexpr FaultDescription kFaultDescriptions[] = {
    {0xC0000005u, u"The thread tried to read from or write to a virtual address for which it does not have the "
                  u"appropriate access."},
    {0xC000008Cu, u"The thread tried to access an array element that is out of bounds and the underlying "
                  u"hardware supports bounds checking."},
    {0x80000003u, u"A breakpoint was reached."},
    {0x80000002u, u"The thread tried to read or write data that is misaligned on hardware that needs aligned "
                  u"access."},
    {0xC000008Du, u"An operand of a floating-point operation is denormal, too small to be represented as a "
                  u"standard value."},
    {0xC000008Eu, u"The thread tried to divide a floating-point value by a floating-point divisor of zero."},
    {0xC000008Fu, u"The result of a floating-point operation cannot be represented exactly as a decimal "
                  u"fraction."},
    {0xC0000090u, u"A floating-point exception not covered by the other floating-point codes."},
    {0xC0000091u, u"The exponent of a floating-point operation is greater than the magnitude its type allows."},
    {0xC0000092u, u"The stack overflowed or underflowed as the result of a floating-point operation."},
    {0xC0000093u, u"The exponent of a floating-point operation is less than the magnitude its type allows."},
    {0xC000001Du, u"The thread tried to execute an invalid instruction."},
    {0xC0000006u, u"The thread tried to access a page that was not present and the system could not load it."},
    {0xC0000094u, u"The thread tried to divide an integer value by an integer divisor of zero."},
    {0xC0000095u, u"The result of an integer operation carried out of its most significant bit."},
    {0xC0000026u, u"An exception handler returned an invalid disposition to the exception dispatcher."},
    {0xC0000025u, u"The thread tried to continue execution after a non-continuable exception occurred."},
    {0xC0000096u, u"The thread tried to execute an instruction not allowed in the current machine mode."},
    {0x80000004u, u"A trace trap or other single-instruction mechanism signaled that one instruction was "
                  u"executed."},
    {0xC00000FDu, u"The thread used up its stack."},
};

const char16_t* DescribeFault(DWORD code) {
  for (const FaultDescription& d : kFaultDescriptions)
    if (d.code == code) return d.text;
  return u"Otros";
}

}  // namespace

extern "C" void ProcesarErrorArgs(LPCWSTR format, const ce::text::FormatArg* args, std::size_t count) {
  const DWORD code = GetLastError();
  ReportError(code, teskautils::FormatBounded(format, {args, count}, kErrorReportChars));
}

// The C-variadic export, for callers that find it by name: it trusts its format.
extern "C" void ProcesarError(LPCWSTR format, ...) {
  const DWORD code = GetLastError();
  va_list args;
  va_start(args, format);
  std::u16string text = ce::text::FormatV(ce::text::WideView(format), args);
  va_end(args);
  teskautils::CutTo(text, kErrorReportChars);
  ReportError(code, std::move(text));
}

extern "C" void ProcesarExcepcion(EXCEPTION_POINTERS* exception) {
  const EXCEPTION_RECORD* record = exception ? exception->ExceptionRecord : nullptr;
  const DWORD code = record ? record->ExceptionCode : 0;
  // The address as the device's 32-bit pointers show it: its low 32 bits.
  const DWORD address = record ? static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(record->ExceptionAddress)) : 0;
  using ce::text::Format;
  using V = std::u16string_view;
  std::u16string text = u"Se ha producido una excepcion grave.";
  text = Format(V(u"%s.Codigo Exception1:%#.8X"), text, code);
  text = Format(V(u"%s.Thread:%#.8X"), text, GetCurrentThreadId());
  text = Format(V(u"%s.Direccion:%#.8X"), text, address);
  text = Format(V(u"%s.%s"), text, DescribeFault(code));
  text = Format(V(u"%s.%s"), text, u".El sistema se detendra");
  teskautils::CutTo(text, kFaultReportChars);
  TextBox(nullptr, u"%s", text);
}
