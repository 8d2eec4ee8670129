#include "platform/http/curl_transfer.h"

#include <chrono>
#include <memory>
#include <mutex>

#include <curl/curl.h>

#include "platform/http/wininet.h"
#include "platform/kernel/termination_point.h"

namespace ce::http {
namespace {

using Clock = std::chrono::steady_clock;

struct Progress {
  TransferResult* result;
  Clock::time_point last_activity;
  DWORD receive_timeout_ms;
  bool timed_out = false;
};

size_t OnBody(char* data, size_t size, size_t count, void* user) {
  auto* p = static_cast<Progress*>(user);
  p->result->body.append(data, size * count);
  p->last_activity = Clock::now();
  return size * count;
}

size_t OnHeader(char* data, size_t size, size_t count, void* user) {
  auto* p = static_cast<Progress*>(user);
  std::string line(data, size * count);
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  p->last_activity = Clock::now();
  if (line.rfind("HTTP/", 0) == 0) {
    // A new response (after an authentication challenge or a redirect): start over.
    p->result->headers.clear();
    p->result->body.clear();
    const auto sp1 = line.find(' ');
    const auto sp2 = sp1 == std::string::npos ? sp1 : line.find(' ', sp1 + 1);
    p->result->status_text = sp2 == std::string::npos ? "" : line.substr(sp2 + 1);
  } else if (!line.empty()) {
    p->result->headers.push_back(line);
  }
  return size * count;
}

// Ends a transfer that has received nothing for longer than the receive time-out.
int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  auto* p = static_cast<Progress*>(user);
  const auto idle = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - p->last_activity);
  if (idle.count() > static_cast<long long>(p->receive_timeout_ms)) {
    p->timed_out = true;
    return 1;
  }
  return 0;
}

DWORD MapError(CURLcode code, bool timed_out) {
  if (timed_out) return ERROR_INTERNET_TIMEOUT;
  switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY: return ERROR_INTERNET_NAME_NOT_RESOLVED;
    case CURLE_COULDNT_CONNECT: return ERROR_INTERNET_CANNOT_CONNECT;
    case CURLE_OPERATION_TIMEDOUT: return ERROR_INTERNET_TIMEOUT;
    case CURLE_URL_MALFORMAT:
    case CURLE_UNSUPPORTED_PROTOCOL: return ERROR_INTERNET_INVALID_URL;
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_GOT_NOTHING: return ERROR_INTERNET_CONNECTION_RESET;
    case CURLE_WEIRD_SERVER_REPLY: return ERROR_HTTP_INVALID_SERVER_RESPONSE;
    default: return ERROR_INTERNET_INTERNAL_ERROR;
  }
}

struct EasyCleanup {
  void operator()(CURL* c) const { curl_easy_cleanup(c); }
};
struct MultiCleanup {
  void operator()(CURLM* m) const { curl_multi_cleanup(m); }
};
struct ListCleanup {
  void operator()(curl_slist* l) const { curl_slist_free_all(l); }
};

// Runs the transfer on a multi handle, so that a TerminateThread on the calling thread wakes it
// at once: the transfer is dropped and the thread ends (kernel/termination_point.h).
CURLcode Perform(CURL* curl, CURLM* multi) {
  if (curl_multi_add_handle(multi, curl) != CURLM_OK) return CURLE_FAILED_INIT;
  CURLcode code = CURLE_ABORTED_BY_CALLBACK;
  {
    ce::kernel::TerminationPoint point([multi] { curl_multi_wakeup(multi); });
    int running = 1;
    while (running > 0 && !point.Terminated()) {
      if (curl_multi_perform(multi, &running) != CURLM_OK) {
        code = CURLE_FAILED_INIT;
        break;
      }
      if (running > 0 && curl_multi_poll(multi, nullptr, 0, 1000, nullptr) != CURLM_OK) {
        code = CURLE_FAILED_INIT;
        break;
      }
    }
    if (!point.Terminated()) {
      int left = 0;
      while (CURLMsg* msg = curl_multi_info_read(multi, &left)) {
        if (msg->msg == CURLMSG_DONE && msg->easy_handle == curl) code = msg->data.result;
      }
    }
    curl_multi_remove_handle(multi, curl);
  }  // a terminated thread ends here; the caller's holders free the handles as it unwinds
  return code;
}

TransferResult Attempt(const TransferRequest& r, bool* connect_failed) {
  TransferResult result;
  std::unique_ptr<CURL, EasyCleanup> easy(curl_easy_init());
  std::unique_ptr<CURLM, MultiCleanup> multi(curl_multi_init());
  if (!easy || !multi) {
    result.error = ERROR_INTERNET_INTERNAL_ERROR;
    return result;
  }
  CURL* curl = easy.get();
  Progress progress{&result, Clock::now(), r.receive_timeout_ms};
  curl_slist* headers = nullptr;
  for (const std::string& h : r.headers) headers = curl_slist_append(headers, h.c_str());
  std::unique_ptr<curl_slist, ListCleanup> header_list(headers);

  curl_easy_setopt(curl, CURLOPT_URL, r.url.c_str());
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_HTTP_VERSION, r.http10 ? CURL_HTTP_VERSION_1_0 : CURL_HTTP_VERSION_1_1);
  if (!r.agent.empty()) curl_easy_setopt(curl, CURLOPT_USERAGENT, r.agent.c_str());
  if (r.direct) curl_easy_setopt(curl, CURLOPT_PROXY, "");
  else if (!r.proxy.empty()) curl_easy_setopt(curl, CURLOPT_PROXY, r.proxy.c_str());
  if (r.authenticate && !r.user.empty()) {
    curl_easy_setopt(curl, CURLOPT_USERNAME, r.user.c_str());
    curl_easy_setopt(curl, CURLOPT_PASSWORD, r.password.c_str());
    curl_easy_setopt(curl, CURLOPT_HTTPAUTH, CURLAUTH_BASIC | CURLAUTH_DIGEST | CURLAUTH_NTLM);
  }
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, r.follow_redirects ? 1L : 0L);
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(r.connect_timeout_ms));
  if (r.verb == "HEAD") {
    curl_easy_setopt(curl, CURLOPT_NOBODY, 1L);
  } else if (r.verb == "POST" || !r.body.empty()) {
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, r.body.data());
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, static_cast<long>(r.body.size()));
    if (r.verb != "POST") curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, r.verb.c_str());
  } else if (r.verb != "GET") {
    curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, r.verb.c_str());
  }
  if (headers) curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, OnBody);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &progress);
  curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, OnHeader);
  curl_easy_setopt(curl, CURLOPT_HEADERDATA, &progress);
  curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, OnProgress);
  curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &progress);

  const CURLcode code = Perform(curl, multi.get());
  *connect_failed = code == CURLE_COULDNT_CONNECT || (code == CURLE_OPERATION_TIMEDOUT && !progress.timed_out);
  if (code == CURLE_ABORTED_BY_CALLBACK && !progress.timed_out) {
    result.error = ERROR_INTERNET_OPERATION_CANCELLED;  // a terminated thread that cannot unwind
  } else if (code != CURLE_OK) {
    result.error = MapError(code, progress.timed_out);
  } else {
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &result.status);
  }
  return result;
}

}  // namespace

TransferResult Transfer(const TransferRequest& request) {
  static std::once_flag init;
  std::call_once(init, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
  const DWORD attempts = request.connect_retries == 0 ? 1 : request.connect_retries;
  TransferResult result;
  for (DWORD i = 0; i < attempts; ++i) {
    bool connect_failed = false;
    result = Attempt(request, &connect_failed);
    if (!connect_failed) break;
  }
  return result;
}

}  // namespace ce::http
