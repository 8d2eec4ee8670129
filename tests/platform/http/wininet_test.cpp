// The internet library against a local server: statuses, authentication, reading, time-outs.
#include <chrono>
#include <string>

#include <gtest/gtest.h>

#include "platform/base/errors.h"
#include "platform/http/wininet.h"
#include "platform/kernel/last_error.h"
#include "tests/platform/http/local_http_server.h"

namespace {

using test_http::LocalHttpServer;

constexpr DWORD kFlags = INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_KEEP_CONNECTION | INTERNET_FLAG_HYPERLINK |
                         INTERNET_FLAG_PRAGMA_NOCACHE;

struct Outcome {
  long status = -1;  // -1: no status
  DWORD bytes = 0;
  DWORD send_error = 0;
};

// One status check as the programs make it: root, connection with an account, GET, status as a
// number, the body drained in 4096-byte reads, everything closed.
Outcome Check(unsigned short port, const char16_t* object, const char16_t* account, const char16_t* password,
              bool second_try, DWORD receive_timeout_ms = 0) {
  Outcome out;
  HINTERNET root = InternetOpenW(u"Test URL", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, kFlags);
  if (!root) return out;
  HINTERNET conn = InternetConnectW(root, u"127.0.0.1", port, account, password, INTERNET_SERVICE_HTTP, 0, 0);
  HINTERNET req = conn ? HttpOpenRequestW(conn, nullptr, object, second_try ? u"HTTP/1.1" : nullptr, nullptr,
                                          nullptr, second_try ? kFlags | INTERNET_FLAG_NO_AUTH : kFlags, 0)
                       : nullptr;
  if (req) {
    if (second_try) {
      DWORD retries = 3, timeout = 20000;
      EXPECT_TRUE(InternetSetOptionW(root, INTERNET_OPTION_CONNECT_RETRIES, &retries, sizeof retries));
      EXPECT_TRUE(InternetSetOptionW(root, INTERNET_OPTION_CONNECT_TIMEOUT, &timeout, sizeof timeout));
      for (DWORD reset : {76u, 42u, 60u}) {
        EXPECT_TRUE(InternetSetOptionW(root, reset, nullptr, 0));
      }
    }
    if (receive_timeout_ms) {
      InternetSetOptionW(root, INTERNET_OPTION_RECEIVE_TIMEOUT, &receive_timeout_ms, sizeof receive_timeout_ms);
    }
    if (!HttpSendRequestW(req, nullptr, 0, nullptr, 0)) out.send_error = GetLastError();
    DWORD status = 0, len = sizeof status;
    if (HttpQueryInfoW(req, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &len, nullptr)) {
      out.status = status;
      char block[4096];
      DWORD got = 0;
      while (InternetReadFile(req, block, sizeof block, &got) && got > 0) out.bytes += got;
    }
    EXPECT_TRUE(InternetCloseHandle(req));
  }
  if (conn) {
    EXPECT_TRUE(InternetCloseHandle(conn));
  }
  EXPECT_TRUE(InternetCloseHandle(root));
  return out;
}

TEST(WinInet, StatusesFromALocalServer) {
  LocalHttpServer server("dom\\alice", "pw", 10000);
  struct Case {
    const char16_t* object;
    const char16_t* account;
    const char16_t* password;
    bool second_try;
    long status;
    DWORD bytes;
  } cases[] = {
      {u"/ok", u"", u"", false, 200, 10000},
      {u"ok", nullptr, nullptr, true, 200, 10000},
      {u"/secret", u"dom\\alice", u"pw", false, 200, 7},
      {u"/secret", u"dom\\alice", u"wrong", false, 401, 6},
      {u"/secret", u"dom\\alice", u"pw", true, 401, 6},  // no automatic authentication
      {u"/missing", u"dom\\alice", u"pw", false, 404, 8},
  };
  for (const Case& c : cases) {
    const Outcome o = Check(server.port(), c.object, c.account, c.password, c.second_try);
    EXPECT_EQ(o.send_error, 0u);
    EXPECT_EQ(o.status, c.status);
    EXPECT_EQ(o.bytes, c.bytes);
  }
}

TEST(WinInet, NoServerFailsCleanlyAfterItsRetries) {
  const unsigned short port = LocalHttpServer::FreePort();
  const auto start = std::chrono::steady_clock::now();
  const Outcome o = Check(port, u"/ok", u"dom\\alice", u"pw", true);
  EXPECT_EQ(o.send_error, static_cast<DWORD>(ERROR_INTERNET_CANNOT_CONNECT));
  EXPECT_EQ(o.status, -1);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

TEST(WinInet, ReceiveTimeoutEndsAStalledRequest) {
  LocalHttpServer server("a", "b", 0);
  const auto start = std::chrono::steady_clock::now();
  const Outcome o = Check(server.port(), u"/stall", nullptr, nullptr, false, 300);
  EXPECT_EQ(o.send_error, static_cast<DWORD>(ERROR_INTERNET_TIMEOUT));
  EXPECT_EQ(o.status, -1);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST(WinInet, HandlesOptionsAndQueries) {
  LocalHttpServer server("dom\\bob", "s3", 0);
  HINTERNET root = InternetOpenW(u"agent", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
  HINTERNET conn = InternetConnectW(root, u"127.0.0.1", server.port(), nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0);
  ASSERT_NE(conn, nullptr);
  HINTERNET req = HttpOpenRequestW(conn, u"GET", u"/secret", nullptr, nullptr, nullptr, 0, 0);
  ASSERT_NE(req, nullptr);
  // Nothing to query or read before the request is sent; a connection is not a request.
  DWORD status = 0, len = sizeof status, got = 0;
  EXPECT_FALSE(HttpQueryInfoW(req, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &len, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INTERNET_INCORRECT_HANDLE_STATE));
  EXPECT_FALSE(HttpSendRequestW(conn, nullptr, 0, nullptr, 0));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INTERNET_INCORRECT_HANDLE_TYPE));
  EXPECT_FALSE(InternetSetOptionW(root, 9999, &status, sizeof status));
  // The account set on the root after the request was opened is used.
  const char16_t user[] = u"dom\\bob";
  const char16_t pass[] = u"s3";
  ASSERT_TRUE(InternetSetOptionW(root, INTERNET_OPTION_USERNAME, const_cast<char16_t*>(user), 7));
  ASSERT_TRUE(InternetSetOptionW(root, INTERNET_OPTION_PASSWORD, const_cast<char16_t*>(pass), 3));
  {
    // A text given by its length alone is read no further than that length.
    char16_t unterminated[2] = {u's', u'3'};
    HINTERNET other = InternetOpenW(u"agent", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    EXPECT_TRUE(InternetSetOptionW(other, INTERNET_OPTION_PASSWORD, unterminated, 2));
    EXPECT_TRUE(InternetCloseHandle(other));
  }
  ASSERT_TRUE(HttpSendRequestW(req, nullptr, 0, nullptr, 0));
  ASSERT_TRUE(HttpQueryInfoW(req, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &len, nullptr));
  EXPECT_EQ(status, 200u);
  // The text form, with the size asked first.
  len = 0;
  EXPECT_FALSE(HttpQueryInfoW(req, HTTP_QUERY_STATUS_CODE, nullptr, &len, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(len, 8u);
  char16_t text[8];
  ASSERT_TRUE(HttpQueryInfoW(req, HTTP_QUERY_STATUS_CODE, text, &len, nullptr));
  EXPECT_EQ(std::u16string(text), u"200");
  EXPECT_EQ(len, 6u);
  // Closing the root closes what was made from it.
  EXPECT_TRUE(InternetCloseHandle(root));
  EXPECT_FALSE(InternetReadFile(req, text, sizeof text, &got));
  EXPECT_FALSE(InternetCloseHandle(conn));
  EXPECT_TRUE(DeleteUrlCacheEntry(u"http://update.example/velomar.cab"));
}

}  // namespace
