// Interim version on the host file system until the platform's file functions are built.
#include "cumulor/app/base/file_access.h"

#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/kernel/device_folder.h"
#include "platform/text/utf.h"

namespace cumulor::detail {

namespace {

std::filesystem::path HostPathOf(const WCHAR* path) {
  std::string utf8 = ce::text::ToUtf8(ce::text::WideView(path));
  for (char& c : utf8)
    if (c == '\\') c = '/';
  while (!utf8.empty() && utf8.front() == '/') utf8.erase(utf8.begin());
  return ce::DeviceRootFolder() / utf8;
}

}  // namespace

ReadOutcome ReadFileWhole(const WCHAR* path, DynArray<std::uint8_t>& bytes) {
  bytes.SetSize(0);
  std::FILE* f = std::fopen(HostPathOf(path).c_str(), "rb");
  if (!f) return ReadOutcome::CannotOpen;
  std::uint8_t chunk[65536];
  std::size_t n;
  ReadOutcome outcome = ReadOutcome::Ok;
  while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) {
    if (bytes.Append(chunk, static_cast<std::int32_t>(n)) != S_OK) {
      outcome = ReadOutcome::ReadFailed;
      break;
    }
  }
  if (std::ferror(f)) outcome = ReadOutcome::ReadFailed;
  std::fclose(f);
  if (outcome != ReadOutcome::Ok) bytes.SetSize(0);
  return outcome;
}

bool ReplaceFileWith(const WCHAR* path, const void* data, std::size_t size) {
  std::filesystem::path target = HostPathOf(path);
  std::filesystem::path temp = target;
  temp += ".tmp";
  std::FILE* f = std::fopen(temp.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(data, 1, size, f) == size;
  ok = std::fclose(f) == 0 && ok;
  std::error_code ec;
  if (ok) std::filesystem::rename(temp, target, ec);
  if (!ok || ec) {
    std::filesystem::remove(temp, ec);
    return false;
  }
  return true;
}

}  // namespace cumulor::detail
