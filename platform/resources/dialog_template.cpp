// The binary dialog template (a DLGTEMPLATE header and its items), written and read field by field.
#include "platform/base/wire.h"
#include "platform/resources/resource_set.h"
#include "platform/text/utf.h"

namespace ce::resources {
namespace {

constexpr DWORD kSetFont = 0x40;  // DS_SETFONT

// Predefined classes by their atom in item templates.
const std::pair<WORD, const char16_t*> kAtoms[] = {{0x80, u"Button"},  {0x81, u"Edit"},      {0x82, u"Static"},
                                                    {0x83, u"ListBox"}, {0x84, u"ScrollBar"}, {0x85, u"ComboBox"}};

void Align(wire::Writer& w) {
  while (w.bytes().size() % 4) w.U8(0);
}

void NameOrOrdinal(wire::Writer& w, const std::u16string& text, WORD ordinal) {
  if (ordinal) {
    w.U16(0xFFFF);
    w.U16(ordinal);
  } else {
    w.Utf16(text, true);
  }
}

bool SameName(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char16_t x = a[i] >= u'a' && a[i] <= u'z' ? a[i] - 32 : a[i];
    char16_t y = b[i] >= u'a' && b[i] <= u'z' ? b[i] - 32 : b[i];
    if (x != y) return false;
  }
  return true;
}

// Reads a name or an ordinal; false when the data ends first.
bool ReadNameOrOrdinal(wire::Reader& r, std::u16string& text, WORD& ordinal) {
  text.clear();
  ordinal = 0;
  WORD first = r.U16();
  if (!r.ok()) return false;
  if (first == 0xFFFF) {
    ordinal = r.U16();
    return r.ok();
  }
  for (WORD c = first; c != 0; c = r.U16()) {
    if (!r.ok()) return false;
    text += static_cast<char16_t>(c);
  }
  return r.ok();
}

bool AlignRead(wire::Reader& r) { return r.pos() % 4 == 0 || r.Skip(4 - r.pos() % 4); }

}  // namespace

std::vector<std::uint8_t> EncodeDialog(const DialogTemplate& d) {
  wire::Writer w;
  DWORD style = d.style | (d.font_face.empty() ? 0 : kSetFont);
  w.U32(style);
  w.U32(d.ex_style);
  w.U16(static_cast<WORD>(d.controls.size()));
  w.U16(static_cast<WORD>(d.x));
  w.U16(static_cast<WORD>(d.y));
  w.U16(static_cast<WORD>(d.cx));
  w.U16(static_cast<WORD>(d.cy));
  w.U16(0);  // no menu
  w.U16(0);  // the standard dialog class
  w.Utf16(d.caption, true);
  if (style & kSetFont) {
    w.U16(d.font_points);
    w.Utf16(d.font_face, true);
  }
  for (const auto& c : d.controls) {
    Align(w);
    w.U32(c.style);
    w.U32(c.ex_style);
    w.U16(static_cast<WORD>(c.x));
    w.U16(static_cast<WORD>(c.y));
    w.U16(static_cast<WORD>(c.cx));
    w.U16(static_cast<WORD>(c.cy));
    w.U16(static_cast<WORD>(c.id));
    WORD atom = 0;
    for (auto& [a, name] : kAtoms)
      if (SameName(c.cls, name)) atom = a;
    NameOrOrdinal(w, c.cls, atom);
    NameOrOrdinal(w, c.text, c.text_ordinal);
    w.U16(0);  // no creation data
  }
  return w.Take();
}

std::optional<DialogTemplate> DecodeDialog(const void* data, std::size_t size) {
  if (!data) return std::nullopt;
  wire::Reader r(data, size);
  DialogTemplate d;
  d.style = r.U32();
  d.ex_style = r.U32();
  WORD count = r.U16();
  d.x = static_cast<short>(r.U16());
  d.y = static_cast<short>(r.U16());
  d.cx = static_cast<short>(r.U16());
  d.cy = static_cast<short>(r.U16());
  std::u16string menu, cls;
  WORD menu_id, cls_id, title_id;
  if (!ReadNameOrOrdinal(r, menu, menu_id) || !ReadNameOrOrdinal(r, cls, cls_id) ||
      !ReadNameOrOrdinal(r, d.caption, title_id))
    return std::nullopt;
  if (d.style & kSetFont) {
    d.font_points = r.U16();
    WORD unused;
    if (!ReadNameOrOrdinal(r, d.font_face, unused)) return std::nullopt;
  }
  for (WORD i = 0; i < count; ++i) {
    if (!AlignRead(r)) return std::nullopt;
    ControlTemplate c;
    c.style = r.U32();
    c.ex_style = r.U32();
    c.x = static_cast<short>(r.U16());
    c.y = static_cast<short>(r.U16());
    c.cx = static_cast<short>(r.U16());
    c.cy = static_cast<short>(r.U16());
    c.id = r.U16();
    if (c.id == 0xFFFF) c.id = -1;
    WORD atom;
    if (!ReadNameOrOrdinal(r, c.cls, atom) || !ReadNameOrOrdinal(r, c.text, c.text_ordinal)) return std::nullopt;
    if (atom) {
      c.cls.clear();
      for (auto& [a, name] : kAtoms)
        if (a == atom) c.cls = name;
      if (c.cls.empty()) return std::nullopt;
    }
    WORD extra = r.U16();
    if (!r.Skip(extra)) return std::nullopt;
    d.controls.push_back(std::move(c));
  }
  if (!r.ok()) return std::nullopt;
  return d;
}

}  // namespace ce::resources
