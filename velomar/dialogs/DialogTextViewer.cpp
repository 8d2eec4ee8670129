#include "velomar/dialogs/DialogTextViewer.h"

#include <vector>

#include "platform/controls/controls.h"
#include "platform/files/files.h"
#include "platform/kernel/sync.h"
#include "platform/window/window.h"
#include "velomar/core/Trace.h"

namespace {
constexpr int kTextControl = 1130;
constexpr char16_t kByteOrderMark = 0xFEFF;
}  // namespace

CDialogTextViewer::CDialogTextViewer(HWND parent, UINT template_id, std::u16string caption, std::u16string file)
    : CBaseDialog(template_id, parent, nullptr, 124), m_caption(std::move(caption)), m_file(std::move(file)) {}

std::u16string CDialogTextViewer::TextOfFile(const std::string& bytes) {
  std::u16string text;
  text.reserve(bytes.size() / 2);
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const auto c = static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                         (static_cast<unsigned char>(bytes[i + 1]) << 8));
    if (c == 0) break;
    text.push_back(c);
  }
  // Only a byte-order mark is skipped: a file written without one keeps its first character.
  if (!text.empty() && text.front() == kByteOrderMark) text.erase(0, 1);
  return text;
}

INT_PTR CDialogTextViewer::OnInit(HWND hwnd, UINT, WPARAM, LPARAM) {
  Trace(0, u"CDialogTextViewer::OnInit");
  SetWindowTextW(hwnd, m_caption.c_str());
  HANDLE file = CreateFileW(m_file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return TRUE;
  const DWORD size = GetFileSize(file, nullptr);
  if (size != INVALID_FILE_SIZE) {
    std::string bytes(size, '\0');
    DWORD read = 0;
    if (ReadFile(file, bytes.data(), size, &read, nullptr)) {
      bytes.resize(read);
      const std::u16string text = TextOfFile(bytes);
      SetDlgItemTextW(hwnd, kTextControl, text.c_str());
      SendDlgItemMessageW(hwnd, kTextControl, EM_SETSEL, static_cast<WPARAM>(-1), 0);
    }
  }
  CloseHandle(file);
  return TRUE;
}
