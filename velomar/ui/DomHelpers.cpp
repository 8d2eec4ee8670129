#include "velomar/ui/DomHelpers.h"

#include <climits>

namespace velomar::ui {

std::optional<int> IntAttribute(IXMLDOMElement* element, const char16_t* name) {
  const std::optional<std::u16string> text = Attribute(element, name);
  if (!text) return std::nullopt;
  std::size_t i = 0;
  const std::size_t n = text->size();
  auto blank = [](char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; };
  while (i < n && blank((*text)[i])) ++i;
  bool negative = false;
  if (i < n && ((*text)[i] == u'-' || (*text)[i] == u'+')) negative = (*text)[i++] == u'-';
  long long value = 0;
  std::size_t digits = 0;
  for (; i < n && (*text)[i] >= u'0' && (*text)[i] <= u'9'; ++i, ++digits) {
    value = value * 10 + ((*text)[i] - u'0');
    if (value > static_cast<long long>(INT_MAX) + 1) return std::nullopt;  // out of range
  }
  while (i < n && blank((*text)[i])) ++i;
  if (digits == 0 || i != n) return std::nullopt;
  if (negative) value = -value;
  if (value > INT_MAX || value < INT_MIN) return std::nullopt;
  return static_cast<int>(value);
}

}  // namespace velomar::ui
