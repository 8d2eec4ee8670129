// The HTTP status check: a GET of one object answers its status code, with a second attempt
// (HTTP/1.1, no negotiated authentication) when the first does not answer 200.
#include <climits>
#include <string>

#include "platform/http/wininet.h"
#include "teskautils/TeskaUtils.h"
#include "teskautils/registry_root.h"
#include "teskautils/teskautils_seam.h"

namespace {

constexpr DWORD kRequestFlags = INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_KEEP_CONNECTION |
                                INTERNET_FLAG_HYPERLINK | INTERNET_FLAG_PRAGMA_NOCACHE;  // 0x04400500
constexpr DWORD kReadBlock = 4096;
constexpr DWORD kConnectRetries = 3;
constexpr DWORD kConnectTimeoutMs = 20000;
// The update server's address by default, whose cache entry is dropped after each status read.
constexpr const WCHAR* kDefaultUpdateAddress = u"http://update.teska.es/revisiones/brava/";

std::u16string Text(LPCWSTR s) { return s ? std::u16string(s) : std::u16string(); }

void SetTextOption(HINTERNET handle, DWORD option, const std::u16string& value) {
  InternetSetOptionW(handle, option, const_cast<WCHAR*>(value.c_str()), static_cast<DWORD>(value.size()));
}

void SetNumberOption(HINTERNET handle, DWORD option, DWORD value) {
  InternetSetOptionW(handle, option, &value, sizeof value);
}

void ResetInternetLibrary(DWORD option) {
  if (!InternetSetOptionW(nullptr, option, nullptr, 0)) TextBox(nullptr, u"Error");
}

void LogStatus(int status) {
  switch (status) {
    case HTTP_STATUS_OK: LogFormateado(2, u"Access granted.HTTP Code:%d", status); break;
    case HTTP_STATUS_DENIED: LogFormateado(3, u"Acceso denegado.HTTP Code:%d", status); break;
    case HTTP_STATUS_NOT_FOUND: LogFormateado(3, u"Archivo no encontrado en el servidor.HTTP Code:%d", status); break;
    default: LogFormateado(3, u"Error accediendo al recurso.HTTP Code:%d", status); break;
  }
}

}  // namespace

namespace teskautils::seam {

std::u16string UpdateAddress() {
  std::u16string address;
  if (!ReadTextUnderRoot(u"UpdateAddress", address)) address = kDefaultUpdateAddress;
  return address;
}

}  // namespace teskautils::seam

extern "C" int GetHttpStatusCodeLocalAux(LPCWSTR server, WORD port, LPCWSTR object, LPCWSTR user, LPCWSTR password,
                                         LPCWSTR domain, BOOL second_try) {
  const std::u16string account = Text(domain) + u"\\" + Text(user);
  HINTERNET internet = InternetOpenW(u"Test URL", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, kRequestFlags);
  if (internet == nullptr) return -1;
  HINTERNET connection = InternetConnectW(internet, server, port, account.c_str(), password, INTERNET_SERVICE_HTTP,
                                          0, 0);
  if (connection == nullptr) {
    InternetCloseHandle(internet);
    return -1;
  }
  HINTERNET request =
      second_try ? HttpOpenRequestW(connection, nullptr, object, u"HTTP/1.1", nullptr, nullptr,
                                    kRequestFlags | INTERNET_FLAG_NO_AUTH, 0)
                 : HttpOpenRequestW(connection, nullptr, object, nullptr, nullptr, nullptr, kRequestFlags, 0);
  if (second_try) {
    SetTextOption(internet, INTERNET_OPTION_USERNAME, account);
    SetTextOption(internet, INTERNET_OPTION_PASSWORD, Text(password));
    SetNumberOption(internet, INTERNET_OPTION_CONNECT_RETRIES, kConnectRetries);
    SetNumberOption(internet, INTERNET_OPTION_CONNECT_TIMEOUT, kConnectTimeoutMs);
    ResetInternetLibrary(INTERNET_OPTION_DIGEST_AUTH_UNLOAD);
    ResetInternetLibrary(INTERNET_OPTION_END_BROWSER_SESSION);
    ResetInternetLibrary(INTERNET_OPTION_RESET_URLCACHE_SESSION);
  }
  if (request != nullptr) HttpSendRequestW(request, nullptr, 0, nullptr, 0);
  LogFormateado(2, u"Peticion enviada");
  DWORD status = 0;
  DWORD size = sizeof status;
  const BOOL have_status =
      request != nullptr &&
      HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr);
  LogFormateado(2, u"http status recogido");
  if (!have_status) {
    LogFormateado(3, u"Error al recuperar codigo de estado de peticion HTTP.Es probable que no se hay aceptado el "
                     u"mensaje de partnership de ActiveSync");
    if (request != nullptr) InternetCloseHandle(request);
    InternetCloseHandle(connection);
    InternetCloseHandle(internet);
    return -1;
  }
  const int code = static_cast<int>(status);
  LogStatus(code);
  int total = 0;
  BYTE block[kReadBlock];
  for (;;) {
    DWORD read = 0;
    if (!InternetReadFile(request, block, kReadBlock, &read) || read == 0) break;
    total = read > static_cast<DWORD>(INT_MAX - total) ? INT_MAX : total + static_cast<int>(read);  // no overflow
  }
  DeleteUrlCacheEntryW(teskautils::seam::UpdateAddress().c_str());
  LogFormateado(2, u"Se han leido %d bytes", total);
  LogFormateado(2, u"Cerrando handlers");
  InternetCloseHandle(request);
  InternetCloseHandle(connection);
  InternetCloseHandle(internet);
  LogFormateado(2, u"Fin");
  return code;
}

extern "C" int GetHttpStatusCode(LPCWSTR server, WORD port, LPCWSTR object, LPCWSTR user, LPCWSTR password,
                                 LPCWSTR domain) {
  const int first = GetHttpStatusCodeLocalAux(server, port, object, user, password, domain, FALSE);
  if (first == HTTP_STATUS_OK) return first;
  return GetHttpStatusCodeLocalAux(server, port, object, user, password, domain, TRUE);
}
