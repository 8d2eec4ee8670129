// Entries of list boxes and combo boxes.
#include "platform/controls/item_list.h"

#include <algorithm>

namespace ce::controls {
namespace {

char16_t Up(char16_t c) { return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c; }

int Compare(std::u16string_view a, std::u16string_view b) {
  std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i)
    if (Up(a[i]) != Up(b[i])) return Up(a[i]) < Up(b[i]) ? -1 : 1;
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

}  // namespace

int ItemList::Add(std::u16string text, bool sorted) {
  std::size_t at = items_.size();
  if (sorted) {
    at = 0;
    while (at < items_.size() && Compare(items_[at].text, text) <= 0) ++at;
  }
  items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(at), ListEntry{std::move(text), 0, false});
  return static_cast<int>(at);
}

int ItemList::Insert(int index, std::u16string text) {
  if (index == -1) index = Count();
  if (index < 0 || index > Count()) return -1;
  items_.insert(items_.begin() + index, ListEntry{std::move(text), 0, false});
  return index;
}

bool ItemList::Remove(int index) {
  if (!Valid(index)) return false;
  items_.erase(items_.begin() + index);
  return true;
}

int ItemList::Find(int start, std::u16string_view text, bool exact) const {
  int n = Count();
  for (int k = 1; k <= n; ++k) {
    int i = static_cast<int>((static_cast<long long>(start < 0 ? -1 : start) + k) % n);
    std::u16string_view t = items_[static_cast<std::size_t>(i)].text;
    if (exact ? Compare(t, text) == 0 : (t.size() >= text.size() && Compare(t.substr(0, text.size()), text) == 0))
      return i;
  }
  return -1;
}

bool ItemList::Answer(const Messages& m, UINT msg, WPARAM wparam, LPARAM lparam, LRESULT& result) {
  int i = static_cast<int>(wparam);
  if (msg == m.get_text) {
    result = CopyText(i, reinterpret_cast<LPWSTR>(lparam));
  } else if (msg == m.get_text_len) {
    result = Valid(i) ? static_cast<LRESULT>(at(i).text.size()) : m.error;
  } else if (msg == m.get_data) {
    result = Valid(i) ? static_cast<LRESULT>(at(i).data) : m.error;
  } else if (msg == m.set_data) {
    if (Valid(i)) at(i).data = static_cast<ULONG_PTR>(lparam);
    result = Valid(i) ? TRUE : m.error;
  } else {
    return false;
  }
  return true;
}

int ItemList::CopyText(int index, LPWSTR out) const {
  if (!Valid(index) || !out) return -1;
  const auto& t = at(index).text;
  std::copy(t.begin(), t.end(), out);
  out[t.size()] = 0;
  return static_cast<int>(t.size());
}

}  // namespace ce::controls
