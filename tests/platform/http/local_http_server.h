// A small HTTP/1.1 server on 127.0.0.1 for the tests: one thread per connection, one response
// per connection ("Connection: close").
//   /ok       200 with a body of `body_size` bytes
//   /secret   200 with Basic credentials `account`:`password`, else 401 with a Basic challenge
//   /stall    accepts and answers nothing until the server stops
//   other     404
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace test_http {

inline std::string Base64(const std::string& in) {
  static const char* t = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  size_t i = 0;
  for (; i + 2 < in.size(); i += 3) {
    const unsigned v = (unsigned char)in[i] << 16 | (unsigned char)in[i + 1] << 8 | (unsigned char)in[i + 2];
    out += {t[v >> 18], t[(v >> 12) & 63], t[(v >> 6) & 63], t[v & 63]};
  }
  if (i + 1 == in.size()) {
    const unsigned v = (unsigned char)in[i] << 16;
    out += {t[v >> 18], t[(v >> 12) & 63], '=', '='};
  } else if (i + 2 == in.size()) {
    const unsigned v = (unsigned char)in[i] << 16 | (unsigned char)in[i + 1] << 8;
    out += {t[v >> 18], t[(v >> 12) & 63], t[(v >> 6) & 63], '='};
  }
  return out;
}

class LocalHttpServer {
 public:
  LocalHttpServer(std::string account, std::string password, size_t body_size)
      : expected_auth_("Basic " + Base64(account + ":" + password)), body_size_(body_size) {
    listener_ = socket(AF_INET, SOCK_STREAM, 0);
    int one = 1;
    setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    listen(listener_, 16);
    socklen_t len = sizeof addr;
    getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &len);
    port_ = ntohs(addr.sin_port);
    acceptor_ = std::thread([this] { AcceptLoop(); });
  }
  ~LocalHttpServer() {
    stop_ = true;
    acceptor_.join();
    for (std::thread& t : workers_) t.join();
    close(listener_);
  }
  unsigned short port() const { return port_; }
  int requests() const { return requests_; }

  // A port on which nothing listens.
  static unsigned short FreePort() {
    int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    socklen_t len = sizeof addr;
    getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len);
    close(s);
    return ntohs(addr.sin_port);
  }

 private:
  void AcceptLoop() {
    while (!stop_) {
      pollfd p{listener_, POLLIN, 0};
      if (poll(&p, 1, 50) <= 0) continue;
      int c = accept(listener_, nullptr, nullptr);
      if (c >= 0) workers_.emplace_back([this, c] { Serve(c); });
    }
  }
  void Serve(int c) {
    std::string request;
    char buf[4096];
    while (request.find("\r\n\r\n") == std::string::npos && !stop_) {
      pollfd p{c, POLLIN, 0};
      if (poll(&p, 1, 50) <= 0) continue;
      const ssize_t n = read(c, buf, sizeof buf);
      if (n <= 0) break;
      request.append(buf, n);
    }
    ++requests_;
    const auto sp = request.find(' ');
    const std::string path = request.substr(sp + 1, request.find(' ', sp + 1) - sp - 1);
    std::string status = "404 Not Found", extra, body = "not here";
    if (path == "/ok") {
      status = "200 OK";
      body.assign(body_size_, 'b');
    } else if (path == "/secret") {
      if (request.find("Authorization: " + expected_auth_ + "\r\n") != std::string::npos) {
        status = "200 OK";
        body = "granted";
      } else {
        status = "401 Unauthorized";
        extra = "WWW-Authenticate: Basic realm=\"device\"\r\n";
        body = "denied";
      }
    } else if (path == "/stall") {
      while (!stop_) usleep(20000);
      close(c);
      return;
    }
    const std::string response = "HTTP/1.1 " + status + "\r\n" + extra + "Content-Length: " +
                                 std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
    for (size_t off = 0; off < response.size();) {
      const ssize_t n = write(c, response.data() + off, response.size() - off);
      if (n <= 0) break;
      off += n;
    }
    close(c);
  }

  std::string expected_auth_;
  size_t body_size_;
  int listener_ = -1;
  unsigned short port_ = 0;
  std::atomic<bool> stop_{false};
  std::atomic<int> requests_{0};
  std::thread acceptor_;
  std::vector<std::thread> workers_;
};

}  // namespace test_http
