// The entries of a list box or a combo box: texts with their item data, kept sorted on request.
#pragma once

#include <string>
#include <vector>

#include "platform/base/types.h"

namespace ce::controls {

struct ListEntry {
  std::u16string text;
  ULONG_PTR data = 0;
  bool selected = false;  // multiple-selection list boxes
};

class ItemList {
 public:
  // Adds at the end, or in order when sorted; answers the index.
  int Add(std::u16string text, bool sorted);
  // Inserts at `index` (-1: the end); -1 when the index is out of range.
  int Insert(int index, std::u16string text);
  bool Remove(int index);
  void Clear() { items_.clear(); }
  int Count() const { return static_cast<int>(items_.size()); }
  bool Valid(int index) const { return index >= 0 && index < Count(); }
  ListEntry& at(int index) { return items_[static_cast<std::size_t>(index)]; }
  const ListEntry& at(int index) const { return items_[static_cast<std::size_t>(index)]; }
  // The first entry after `start` (-1: from the top, wrapping) whose text begins with (or with
  // `exact`: equals) `text`, letters compared without regard to case; -1 when none.
  int Find(int start, std::u16string_view text, bool exact) const;
  // Copies entry `index` into `out` (which the caller sized by the text length); -1 when absent.
  int CopyText(int index, LPWSTR out) const;

  // The entry messages list boxes and combo boxes share, by each one's own numbers.
  struct Messages {
    UINT get_text, get_text_len, get_data, set_data;
    LRESULT error;
  };
  // Answers `msg` into `result` when it is one of `m`; false otherwise.
  bool Answer(const Messages& m, UINT msg, WPARAM wparam, LPARAM lparam, LRESULT& result);

 private:
  std::vector<ListEntry> items_;
};

}  // namespace ce::controls
