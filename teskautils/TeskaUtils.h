// TeskaUtils: the utility library that Velomar and TodayVelomar link by name. Logging over the
// "LogQueue" channel, message boxes, error and fault reports, registry parameters under a settable
// root, files and folders, dates, an HTTP status check and buffer enciphering.
//
// Every function is exported by name with C linkage. The printf-style functions (LogFormateado,
// ErrorBox, QuestionBox, TextBox, ProcesarError) are templates here that keep the type of every
// argument and hand them to the library's checked formatter: a format whose conversions do not
// match the arguments (a translated text, for example) is used as it stands, and every result is
// cut to the function's buffer. The C-variadic exports of the same names exist for callers that
// look them up by name; those trust their format.
#pragma once

#include <cstddef>
#include <span>

#include "platform/base/types.h"
#include "platform/text/format_arg.h"
#include "teskautils/exception_info.h"

// ---- Log channel and boxes ----------------------------------------------------------------------

extern "C" {
// The library's entry: process attach/detach (also run when the library loads and unloads) and the
// "DLL_THREAD_ATTACH"/"DLL_THREAD_DETACH" lines. Always TRUE.
BOOL DllMain(HINSTANCE module, DWORD reason, LPVOID reserved);
// Creates or opens "LogQueue" and keeps the handle only when a reader had created it. TRUE when
// the library now holds a handle.
BOOL OpenLogQueue();
// Sends one record: the level, then "<name>|||<time>|||<text>|||".
void LogCompleto(int level, LPCWSTR name, LPCWSTR time, LPCWSTR text);
// LogCompleto with the program's name and the local time.
void Log(int level, LPCWSTR text);
// Shows "Dll1" with the caption "Titulo"; the box's answer.
int Hello();
// Builds the report of a processor fault and shows it with TextBox.
void ProcesarExcepcion(EXCEPTION_POINTERS* exception);

// The typed forms behind the templates below.
void LogFormateadoArgs(int level, LPCWSTR format, const ce::text::FormatArg* args, std::size_t count);
void ErrorBoxArgs(HWND owner, LPCWSTR format, const ce::text::FormatArg* args, std::size_t count);
int QuestionBoxArgs(HWND owner, LPCWSTR format, const ce::text::FormatArg* args, std::size_t count);
void TextBoxArgs(HWND owner, LPCWSTR format, const ce::text::FormatArg* args, std::size_t count);
void ProcesarErrorArgs(LPCWSTR format, const ce::text::FormatArg* args, std::size_t count);
}

// Formats into 1000 characters and logs at `level`, holding the process-wide mutex "KK".
template <class... Args>
void LogFormateado(int level, LPCWSTR format, const Args&... args) {
  const auto list = ce::text::MakeFormatArgs(args...);
  LogFormateadoArgs(level, format, list.data(), list.size());
}

// An error box (caption "Error") over `owner` (may be null); the text is then logged at level 4.
template <class... Args>
void ErrorBox(HWND owner, LPCWSTR format, const Args&... args) {
  const auto list = ce::text::MakeFormatArgs(args...);
  ErrorBoxArgs(owner, format, list.data(), list.size());
}

// A yes/no question; logs the text at level 4 and answers 6 (yes) or 7 (no).
template <class... Args>
int QuestionBox(HWND owner, LPCWSTR format, const Args&... args) {
  const auto list = ce::text::MakeFormatArgs(args...);
  return QuestionBoxArgs(owner, format, list.data(), list.size());
}

// A topmost box captioned with the program's name, text cut to 255 characters; logs at level 0.
template <class... Args>
void TextBox(HWND owner, LPCWSTR format, const Args&... args) {
  const auto list = ce::text::MakeFormatArgs(args...);
  TextBoxArgs(owner, format, list.data(), list.size());
}

// Logs at level 4 the formatted text, ".Cod:<last error>." and the system's text for that code.
template <class... Args>
void ProcesarError(LPCWSTR format, const Args&... args) {
  const auto list = ce::text::MakeFormatArgs(args...);
  ProcesarErrorArgs(format, list.data(), list.size());
}

// ---- Registry parameters (values of the library root under HKEY_LOCAL_MACHINE) -----------------

extern "C" {
// Default root "\SOFTWARE\Teska\Revisiones Brava PDA". A path over 260 characters is refused (and
// logged); the answer is 0 either way.
int SetRootRegistry(LPCWSTR path);
int ExistsRoot();   // 1 when the root opens
int CreateRoot();   // 1 when created or already there
LONG GetKey(HKEY* key);  // opens the root; the system's error code
// Getters answer 1/0; the string and binary ones show an error box when the value cannot be read.
int GetRegistryParameterString(LPCWSTR name, LPWSTR buffer, DWORD size_bytes);
int GetRegistryParameterBinary(LPCWSTR name, BYTE* buffer, DWORD* size_bytes);
int GetRegistryParameterLong(LPCWSTR name, DWORD* value);
// Setters answer the system's error code (0 on success).
LONG SetRegistryParameterString(LPCWSTR name, LPCWSTR text, DWORD size_bytes);
LONG SetRegistryParameterLong(LPCWSTR name, DWORD value);

// ---- Files and folders (CE paths) -----------------------------------------------------------------

int CrearDirectorio(LPCWSTR path);  // every missing folder along the path; always 1
// 0 only when a file directly in `path` could not be deleted and keep_going was 0.
int BorrarDirectorioRecursivo(LPCWSTR path, BOOL keep_going);
int CopiarArchivosRecursivo(LPCWSTR source, LPCWSTR target);  // always 1
// Only the top-level entries matching "*.<extension>".
int CopiarArchivosRecursivoConFiltroPositivo(LPCWSTR source, LPCWSTR target, LPCWSTR extension);
// All but the top-level files whose name contains `text` (case-sensitive).
int CopiarArchivosRecursivoConFiltroNegativo(LPCWSTR source, LPCWSTR target, LPCWSTR text);
// The running program's folder, without the last backslash, into a buffer of 260 characters;
// answers where that backslash stood, or null when the path has none.
LPWSTR GetCurrentDirectory(LPWSTR buffer);
// The running program's file name; the buffer is left as it was when the path has no backslash.
void GetCurrentExeName(LPWSTR buffer);
// The storage card folder ("\Storage Card"), or an empty text.
void GetSdDirectory(LPWSTR buffer);
// Looks `name` up (without regard to case) in a file of "name=value" lines; the value (at most 99
// characters) goes to `value` (100 characters). 1 when found; the last matching line wins.
int DameParametroArchivoString(LPCWSTR file, LPCWSTR name, LPWSTR value);
// Writes the shell shortcut "<n>#"<target>"".
int CrearAccesoDirecto(LPCWSTR shortcut, LPCWSTR target);
// Characters start..end (inclusive) of source into target, terminated; answers target.
LPWSTR Substring(LPCWSTR source, LPWSTR target, BYTE start, BYTE end);

// ---- Buffer enciphering ------------------------------------------------------------------------

// In place with the library's fixed key; the buffer must hold 1008 bytes. 1 on success, else 0.
int Encriptar(BYTE* buffer, DWORD* length);
int Desencriptar(BYTE* buffer, DWORD* length);

// ---- Dates and the HTTP status check --------------------------------------------------------------

// result = time + unit x count (units of 100 ns); answers result. A time that is no real date, or
// a result outside the calendar, leaves result equal to time.
SYSTEMTIME* DT_AddDiff(SYSTEMTIME* result, ULONGLONG unit, LONGLONG count, const SYSTEMTIME* time);
// |second - first| / unit; 0 when a time is no real date or the unit is 0.
double DT_PeriodsBetween(ULONGLONG unit, const SYSTEMTIME* first, const SYSTEMTIME* second);
// Adds seconds with carries up to the day (not past the month's end).
void SumarSegundos(SYSTEMTIME* time, DWORD seconds);
// "<build date> - <build time>" (23 characters with the terminator).
void DameFechaCompilacion(LPWSTR buffer);
// The status code of a GET of `object`, or -1 when no status could be read.
int GetHttpStatusCode(LPCWSTR server, WORD port, LPCWSTR object, LPCWSTR user, LPCWSTR password,
                      LPCWSTR domain);
int GetHttpStatusCodeLocalAux(LPCWSTR server, WORD port, LPCWSTR object, LPCWSTR user, LPCWSTR password,
                              LPCWSTR domain, BOOL second_try);
}
