// The internet library calls: a tree of handles (root, connection, request) with options that
// children inherit, and requests carried out by curl_transfer.
#include <strings.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/base/errors.h"
#include "platform/http/curl_transfer.h"
#include "platform/http/wininet.h"
#include "platform/kernel/last_error.h"
#include "platform/text/utf.h"

namespace {

using ce::text::ToUtf8;
using ce::text::WideView;

enum class Kind { kRoot, kConnection, kRequest };

struct Node {
  Kind kind;
  std::shared_ptr<Node> parent;
  std::map<DWORD, DWORD> numbers;          // numeric options set on this handle
  std::optional<std::string> user, password;
  // root
  std::string agent;
  DWORD access = INTERNET_OPEN_TYPE_DIRECT;
  std::string proxy;
  // connection
  std::string server;
  INTERNET_PORT port = 0;
  // request
  std::string verb, object;
  bool http10 = false;
  DWORD flags = 0;
  bool sent = false;
  ce::http::TransferResult response;
  size_t read_position = 0;

  std::optional<DWORD> Number(DWORD option) const {
    for (const Node* n = this; n; n = n->parent.get()) {
      auto it = n->numbers.find(option);
      if (it != n->numbers.end()) return it->second;
    }
    return std::nullopt;
  }
  const std::optional<std::string>& Credential(bool password_wanted) const {
    static const std::optional<std::string> none;
    for (const Node* n = this; n; n = n->parent.get()) {
      const auto& v = password_wanted ? n->password : n->user;
      if (v) return v;
    }
    return none;
  }
  const Node* Up(Kind k) const {
    for (const Node* n = this; n; n = n->parent.get())
      if (n->kind == k) return n;
    return nullptr;
  }
};

class Handles {
 public:
  HINTERNET Add(std::shared_ptr<Node> node) {
    std::lock_guard lock(mutex_);
    const auto key = next_++;
    table_[key] = std::move(node);
    return reinterpret_cast<HINTERNET>(key);
  }
  std::shared_ptr<Node> Find(HINTERNET h) {
    std::lock_guard lock(mutex_);
    auto it = table_.find(reinterpret_cast<std::uintptr_t>(h));
    return it == table_.end() ? nullptr : it->second;
  }
  // Removes the handle and every handle made from it.
  bool Remove(HINTERNET h) {
    std::lock_guard lock(mutex_);
    auto it = table_.find(reinterpret_cast<std::uintptr_t>(h));
    if (it == table_.end()) return false;
    const Node* gone = it->second.get();
    table_.erase(it);
    for (auto i = table_.begin(); i != table_.end();) {
      bool below = false;
      for (const Node* n = i->second->parent.get(); n; n = n->parent.get())
        if (n == gone) below = true;
      i = below ? table_.erase(i) : std::next(i);
    }
    return true;
  }

 private:
  std::mutex mutex_;
  std::map<std::uintptr_t, std::shared_ptr<Node>> table_;
  std::uintptr_t next_ = 0xCC0000;
};

Handles& Table() {
  static Handles handles;
  return handles;
}

template <class T>
T Fail(DWORD code, T value) {
  SetLastError(code);
  return value;
}

std::shared_ptr<Node> FindKind(HINTERNET h, Kind kind) {
  auto node = Table().Find(h);
  if (!node) return Fail(ERROR_INVALID_HANDLE, nullptr);
  if (node->kind != kind) return Fail(ERROR_INTERNET_INCORRECT_HANDLE_TYPE, nullptr);
  return node;
}

// Writes a text answer of HttpQueryInfoW (wide, with its terminator; length in bytes).
BOOL AnswerText(const std::string& text, LPVOID buffer, LPDWORD length) {
  const std::u16string wide = ce::text::FromUtf8(text);
  const DWORD bytes = static_cast<DWORD>((wide.size() + 1) * sizeof(WCHAR));
  if (!buffer || *length < bytes) {
    *length = bytes;
    return Fail(ERROR_INSUFFICIENT_BUFFER, FALSE);
  }
  std::memcpy(buffer, wide.c_str(), bytes);
  *length = bytes - sizeof(WCHAR);
  return TRUE;
}

}  // namespace

HINTERNET InternetOpenW(LPCWSTR agent, DWORD access_type, LPCWSTR proxy, LPCWSTR, DWORD) {
  if (access_type != INTERNET_OPEN_TYPE_DIRECT && access_type != INTERNET_OPEN_TYPE_PRECONFIG &&
      access_type != INTERNET_OPEN_TYPE_PROXY)
    return Fail<HINTERNET>(ERROR_INVALID_PARAMETER, nullptr);
  auto node = std::make_shared<Node>();
  node->kind = Kind::kRoot;
  node->agent = ToUtf8(WideView(agent));
  node->access = access_type;
  node->proxy = ToUtf8(WideView(proxy));
  return Table().Add(std::move(node));
}

HINTERNET InternetConnectW(HINTERNET internet, LPCWSTR server, INTERNET_PORT port, LPCWSTR user,
                           LPCWSTR password, DWORD service, DWORD, DWORD_PTR) {
  auto root = FindKind(internet, Kind::kRoot);
  if (!root) return nullptr;
  if (service != INTERNET_SERVICE_HTTP) return Fail<HINTERNET>(ERROR_INVALID_PARAMETER, nullptr);
  if (WideView(server).empty()) return Fail<HINTERNET>(ERROR_INTERNET_INVALID_URL, nullptr);
  auto node = std::make_shared<Node>();
  node->kind = Kind::kConnection;
  node->parent = root;
  node->server = ToUtf8(WideView(server));
  node->port = port;
  if (user) node->user = ToUtf8(WideView(user));
  if (password) node->password = ToUtf8(WideView(password));
  return Table().Add(std::move(node));
}

HINTERNET HttpOpenRequestW(HINTERNET connection, LPCWSTR verb, LPCWSTR object, LPCWSTR version,
                           LPCWSTR, LPCWSTR*, DWORD flags, DWORD_PTR) {
  auto conn = FindKind(connection, Kind::kConnection);
  if (!conn) return nullptr;
  auto node = std::make_shared<Node>();
  node->kind = Kind::kRequest;
  node->parent = conn;
  node->verb = WideView(verb).empty() ? "GET" : ToUtf8(WideView(verb));
  node->object = ToUtf8(WideView(object));
  if (node->object.empty() || node->object[0] != '/') node->object = std::string("/") + node->object;
  node->http10 = WideView(version) == u"HTTP/1.0";
  node->flags = flags;
  return Table().Add(std::move(node));
}

BOOL InternetSetOptionW(HINTERNET handle, DWORD option, LPVOID buffer, DWORD length) {
  switch (option) {
    case INTERNET_OPTION_END_BROWSER_SESSION:
    case INTERNET_OPTION_RESET_URLCACHE_SESSION:
    case INTERNET_OPTION_DIGEST_AUTH_UNLOAD:
      // No sessions, cache or loaded authentication packages to reset.
      if (handle && !Table().Find(handle)) return Fail(ERROR_INVALID_HANDLE, FALSE);
      return TRUE;
    default:
      break;
  }
  auto node = Table().Find(handle);
  if (!node) return Fail(ERROR_INVALID_HANDLE, FALSE);
  switch (option) {
    case INTERNET_OPTION_CONNECT_TIMEOUT:
    case INTERNET_OPTION_CONNECT_RETRIES:
    case INTERNET_OPTION_SEND_TIMEOUT:
    case INTERNET_OPTION_RECEIVE_TIMEOUT:
      if (!buffer || length < sizeof(DWORD)) return Fail(ERROR_INTERNET_BAD_OPTION_LENGTH, FALSE);
      std::memcpy(&node->numbers[option], buffer, sizeof(DWORD));
      return TRUE;
    case INTERNET_OPTION_USERNAME:
    case INTERNET_OPTION_PASSWORD: {
      // A wide text; the length (in characters) may or may not count the terminator.
      if (!buffer) return Fail(ERROR_INVALID_PARAMETER, FALSE);
      std::u16string_view text(static_cast<const WCHAR*>(buffer), length);
      text = text.substr(0, std::min(text.size(), text.find(u'\0')));
      (option == INTERNET_OPTION_USERNAME ? node->user : node->password) = ToUtf8(text);
      return TRUE;
    }
    default:
      return Fail(ERROR_INTERNET_INVALID_OPTION, FALSE);
  }
}

BOOL HttpSendRequestW(HINTERNET request, LPCWSTR headers, DWORD headers_length, LPVOID optional,
                      DWORD optional_length) {
  auto node = FindKind(request, Kind::kRequest);
  if (!node) return FALSE;
  const Node* conn = node->Up(Kind::kConnection);
  const Node* root = node->Up(Kind::kRoot);
  const bool secure = node->flags & INTERNET_FLAG_SECURE;

  ce::http::TransferRequest r;
  const INTERNET_PORT port = conn->port ? conn->port : (secure ? INTERNET_DEFAULT_HTTPS_PORT : INTERNET_DEFAULT_HTTP_PORT);
  r.url = std::string(secure ? "https://" : "http://") + conn->server + ":" + std::to_string(port) + node->object;
  r.verb = node->verb;
  r.http10 = node->http10;
  r.agent = root->agent;
  r.direct = root->access == INTERNET_OPEN_TYPE_DIRECT;
  if (root->access == INTERNET_OPEN_TYPE_PROXY) {
    r.direct = false;
    r.proxy = root->proxy;
  } else if (root->access == INTERNET_OPEN_TYPE_PRECONFIG) {
    r.direct = false;
  }
  r.user = node->Credential(false).value_or("");
  r.password = node->Credential(true).value_or("");
  r.authenticate = !(node->flags & INTERNET_FLAG_NO_AUTH);
  r.follow_redirects = !(node->flags & INTERNET_FLAG_NO_AUTO_REDIRECT);
  if (auto v = node->Number(INTERNET_OPTION_CONNECT_TIMEOUT)) r.connect_timeout_ms = *v;
  if (auto v = node->Number(INTERNET_OPTION_CONNECT_RETRIES)) r.connect_retries = *v;
  if (auto v = node->Number(INTERNET_OPTION_RECEIVE_TIMEOUT)) r.receive_timeout_ms = *v;
  if (headers) {
    const std::u16string_view all =
        headers_length == 0xFFFFFFFFu || headers_length == 0 ? WideView(headers) : std::u16string_view(headers, headers_length);
    std::string text = ToUtf8(all);
    size_t start = 0;
    while (start < text.size()) {
      size_t end = text.find("\r\n", start);
      if (end == std::string::npos) end = text.size();
      if (end > start) r.headers.push_back(text.substr(start, end - start));
      start = end + 2;
    }
  }
  if (optional && optional_length) r.body.assign(static_cast<const char*>(optional), optional_length);

  node->sent = false;
  node->read_position = 0;
  node->response = ce::http::Transfer(r);
  if (node->response.error) return Fail(node->response.error, FALSE);
  node->sent = true;
  return TRUE;
}

BOOL HttpQueryInfoW(HINTERNET request, DWORD info_level, LPVOID buffer, LPDWORD length, LPDWORD) {
  auto node = FindKind(request, Kind::kRequest);
  if (!node) return FALSE;
  if (!length) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  if (!node->sent) return Fail(ERROR_INTERNET_INCORRECT_HANDLE_STATE, FALSE);
  const DWORD level = info_level & 0xFFFFu;
  const bool number = info_level & HTTP_QUERY_FLAG_NUMBER;
  std::string text;
  switch (level) {
    case HTTP_QUERY_STATUS_CODE:
      text = std::to_string(node->response.status);
      break;
    case HTTP_QUERY_STATUS_TEXT:
      text = node->response.status_text;
      break;
    case HTTP_QUERY_CONTENT_LENGTH: {
      bool found = false;
      for (const std::string& h : node->response.headers) {
        if (h.size() > 15 && strncasecmp(h.c_str(), "Content-Length:", 15) == 0) {
          const size_t value = h.find_first_not_of(' ', 15);
          text = value == std::string::npos ? "" : h.substr(value);
          found = true;
        }
      }
      if (!found) return Fail(ERROR_HTTP_HEADER_NOT_FOUND, FALSE);
      break;
    }
    default:
      return Fail(ERROR_HTTP_HEADER_NOT_FOUND, FALSE);
  }
  if (!number) return AnswerText(text, buffer, length);
  if (!buffer || *length < sizeof(DWORD)) {
    *length = sizeof(DWORD);
    return Fail(ERROR_INSUFFICIENT_BUFFER, FALSE);
  }
  const DWORD value = static_cast<DWORD>(std::strtoul(text.c_str(), nullptr, 10));
  std::memcpy(buffer, &value, sizeof value);
  *length = sizeof value;
  return TRUE;
}

BOOL InternetReadFile(HINTERNET request, LPVOID buffer, DWORD to_read, LPDWORD read) {
  auto node = FindKind(request, Kind::kRequest);
  if (!node) return FALSE;
  if (!read || (!buffer && to_read)) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  *read = 0;
  if (!node->sent) return Fail(ERROR_INTERNET_INCORRECT_HANDLE_STATE, FALSE);
  const std::string& body = node->response.body;
  const size_t n = std::min<size_t>(to_read, body.size() - node->read_position);
  if (n) std::memcpy(buffer, body.data() + node->read_position, n);
  node->read_position += n;
  *read = static_cast<DWORD>(n);
  return TRUE;
}

BOOL InternetCloseHandle(HINTERNET handle) {
  if (!Table().Remove(handle)) return Fail(ERROR_INVALID_HANDLE, FALSE);
  return TRUE;
}

BOOL DeleteUrlCacheEntryW(LPCWSTR) { return TRUE; }
