#include "platform/files/module_path.h"

#include <cerrno>
#include <cstdlib>
#include <mutex>

#include "platform/text/utf.h"

namespace ce::files {
namespace {

std::mutex g_lock;
std::u16string g_path;  // empty until chosen

}  // namespace

void SetModulePath(std::u16string_view ce_path) {
  std::lock_guard<std::mutex> guard(g_lock);
  g_path = ce_path;
}

std::u16string ModulePath() {
  std::lock_guard<std::mutex> guard(g_lock);
  if (g_path.empty()) {
    const char* env = std::getenv("CE_MODULE_PATH");
    if (env && *env) {
      g_path = ce::text::FromUtf8(env);
    } else {
      g_path = u"\\Windows\\" + ce::text::FromUtf8(program_invocation_short_name) + u".exe";
    }
  }
  return g_path;
}

}  // namespace ce::files
