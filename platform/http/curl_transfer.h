// One HTTP exchange on libcurl, with WinINet's time-outs, retries and authentication rules.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/base/types.h"

namespace ce::http {

struct TransferRequest {
  std::string url;
  std::string verb = "GET";
  bool http10 = false;
  std::string agent;
  bool direct = true;           // no proxy, whatever the environment says
  std::string proxy;            // for a named proxy
  std::string user, password;   // "domain\user" accounts go to NTLM as they are
  bool authenticate = true;     // false: no automatic authentication (a 401 comes back)
  bool follow_redirects = true;
  DWORD connect_timeout_ms = 60000;
  DWORD connect_retries = 5;
  DWORD receive_timeout_ms = 30000;
  std::vector<std::string> headers;  // "Name: value"
  std::string body;
};

struct TransferResult {
  DWORD error = 0;  // 0 or an ERROR_INTERNET_* code
  long status = 0;
  std::string status_text;
  std::vector<std::string> headers;  // of the final response, "Name: value"
  std::string body;
};

TransferResult Transfer(const TransferRequest& request);

}  // namespace ce::http
