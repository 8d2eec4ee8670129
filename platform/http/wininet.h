// The internet library subset the programs use: a root handle, a connection to an HTTP server
// with an account, requests, options, the status query, reading the body, closing.
#pragma once

#include "platform/base/types.h"

using HINTERNET = void*;
using INTERNET_PORT = WORD;

#define INTERNET_OPEN_TYPE_PRECONFIG 0u
#define INTERNET_OPEN_TYPE_DIRECT 1u
#define INTERNET_OPEN_TYPE_PROXY 3u

#define INTERNET_INVALID_PORT_NUMBER 0
#define INTERNET_DEFAULT_HTTP_PORT 80
#define INTERNET_DEFAULT_HTTPS_PORT 443
#define INTERNET_SERVICE_HTTP 3u

#define INTERNET_FLAG_RELOAD 0x80000000u
#define INTERNET_FLAG_NO_CACHE_WRITE 0x04000000u
#define INTERNET_FLAG_SECURE 0x00800000u
#define INTERNET_FLAG_KEEP_CONNECTION 0x00400000u
#define INTERNET_FLAG_NO_AUTO_REDIRECT 0x00200000u
#define INTERNET_FLAG_NO_AUTH 0x00040000u
#define INTERNET_FLAG_HYPERLINK 0x00000400u
#define INTERNET_FLAG_PRAGMA_NOCACHE 0x00000100u

#define INTERNET_OPTION_CONNECT_TIMEOUT 2u
#define INTERNET_OPTION_CONNECT_RETRIES 3u
#define INTERNET_OPTION_SEND_TIMEOUT 5u
#define INTERNET_OPTION_RECEIVE_TIMEOUT 6u
#define INTERNET_OPTION_USERNAME 28u
#define INTERNET_OPTION_PASSWORD 29u
#define INTERNET_OPTION_END_BROWSER_SESSION 42u
#define INTERNET_OPTION_RESET_URLCACHE_SESSION 60u
#define INTERNET_OPTION_DIGEST_AUTH_UNLOAD 76u

#define HTTP_QUERY_CONTENT_LENGTH 5u
#define HTTP_QUERY_STATUS_CODE 19u
#define HTTP_QUERY_STATUS_TEXT 20u
#define HTTP_QUERY_FLAG_NUMBER 0x20000000u

#define HTTP_STATUS_OK 200
#define HTTP_STATUS_DENIED 401
#define HTTP_STATUS_NOT_FOUND 404

#define ERROR_INTERNET_TIMEOUT 12002L
#define ERROR_INTERNET_INTERNAL_ERROR 12004L
#define ERROR_INTERNET_INVALID_URL 12005L
#define ERROR_INTERNET_NAME_NOT_RESOLVED 12007L
#define ERROR_INTERNET_INVALID_OPTION 12009L
#define ERROR_INTERNET_OPERATION_CANCELLED 12017L
#define ERROR_INTERNET_BAD_OPTION_LENGTH 12010L
#define ERROR_INTERNET_INCORRECT_HANDLE_TYPE 12018L
#define ERROR_INTERNET_INCORRECT_HANDLE_STATE 12019L
#define ERROR_INTERNET_CANNOT_CONNECT 12029L
#define ERROR_INTERNET_CONNECTION_ABORTED 12030L
#define ERROR_INTERNET_CONNECTION_RESET 12031L
#define ERROR_HTTP_HEADER_NOT_FOUND 12150L
#define ERROR_HTTP_INVALID_SERVER_RESPONSE 12152L

HINTERNET InternetOpenW(LPCWSTR agent, DWORD access_type, LPCWSTR proxy, LPCWSTR proxy_bypass, DWORD flags);
HINTERNET InternetConnectW(HINTERNET internet, LPCWSTR server, INTERNET_PORT port, LPCWSTR user,
                           LPCWSTR password, DWORD service, DWORD flags, DWORD_PTR context);
HINTERNET HttpOpenRequestW(HINTERNET connection, LPCWSTR verb, LPCWSTR object, LPCWSTR version,
                           LPCWSTR referrer, LPCWSTR* accept_types, DWORD flags, DWORD_PTR context);
// Options apply to the handle and to every handle below it that does not set its own; a null
// handle takes the library-wide resets (42, 60, 76), which have nothing to do here.
BOOL InternetSetOptionW(HINTERNET handle, DWORD option, LPVOID buffer, DWORD length);
// Makes the whole exchange (authentication included); the body is then read with
// InternetReadFile.
BOOL HttpSendRequestW(HINTERNET request, LPCWSTR headers, DWORD headers_length, LPVOID optional,
                      DWORD optional_length);
BOOL HttpQueryInfoW(HINTERNET request, DWORD info_level, LPVOID buffer, LPDWORD length, LPDWORD index);
// At the end of the body: TRUE with 0 bytes read.
BOOL InternetReadFile(HINTERNET request, LPVOID buffer, DWORD to_read, LPDWORD read);
// Closing a handle closes the handles made from it.
BOOL InternetCloseHandle(HINTERNET handle);
// There is no URL cache: always succeeds.
BOOL DeleteUrlCacheEntryW(LPCWSTR url);
#define DeleteUrlCacheEntry DeleteUrlCacheEntryW
