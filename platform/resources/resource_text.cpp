// Reading the resource text of a program's res/ folder (format in README.md).
#include <cctype>
#include <charconv>

#include "platform/gdi/images.h"
#include "platform/resources/resource_set.h"
#include "platform/window/window.h"
#include "platform/text/utf.h"

namespace ce::resources {
namespace {

// Menu item flags as the menu functions know them.
constexpr UINT kGrayed = 0x0001, kChecked = 0x0008, kPopup = 0x0010, kSeparator = 0x0800;

struct Token {
  enum Kind { kWord, kString, kBar } kind;
  std::string text;
};

struct Failure {
  std::string message;
};

std::vector<Token> Tokenize(std::string_view line) {
  std::vector<Token> out;
  std::size_t i = 0;
  while (i < line.size()) {
    char c = line[i];
    if (c == ' ' || c == '\t' || c == '\r') {
      ++i;
    } else if (c == '#' && (i + 1 >= line.size() || !std::isdigit(static_cast<unsigned char>(line[i + 1])))) {
      break;  // a comment to the end of the line
    } else if (c == '|') {
      out.push_back({Token::kBar, "|"});
      ++i;
    } else if (c == '"') {
      std::string s;
      ++i;
      bool closed = false;
      while (i < line.size()) {
        char d = line[i++];
        if (d == '"') {
          closed = true;
          break;
        }
        if (d == '\\' && i < line.size()) {
          char e = line[i++];
          s += e == 'n' ? '\n' : e == 't' ? '\t' : e;
        } else {
          s += d;
        }
      }
      if (!closed) throw Failure{"unterminated text"};
      out.push_back({Token::kString, s});
    } else {
      std::size_t start = i;
      while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '|' && line[i] != '"' &&
             line[i] != '\r')
        ++i;
      out.push_back({Token::kWord, std::string(line.substr(start, i - start))});
    }
  }
  return out;
}

std::optional<long> Number(const std::string& s) {
  long v = 0;
  const char* b = s.data();
  const char* e = s.data() + s.size();
  bool neg = false;
  if (b < e && *b == '-') neg = true, ++b;
  int base = 10;
  if (e - b > 2 && b[0] == '0' && (b[1] == 'x' || b[1] == 'X')) base = 16, b += 2;
  if (b < e && *b == '-') return std::nullopt;  // one sign, before any "0x"
  auto r = std::from_chars(b, e, v, base);
  if (r.ec != std::errc() || r.ptr != e || b == e) return std::nullopt;
  return neg ? -v : v;
}

class Parser {
 public:
  Parser(std::string_view text, const std::map<std::string, std::vector<std::uint8_t>>& files)
      : files_(files) {
    std::size_t start = 0;
    while (start <= text.size()) {
      std::size_t end = text.find('\n', start);
      if (end == std::string_view::npos) end = text.size();
      lines_.push_back(text.substr(start, end - start));
      start = end + 1;
    }
  }

  std::shared_ptr<ResourceSet> Run() {
    auto set = std::make_shared<ResourceSet>();
    while (Next()) {
      block_line_ = line_;
      const std::string& kw = Word(0);
      if (kw == "dialog") {
        Dialog(*set);
      } else if (kw == "menu") {
        ResName name = Name(1);
        Arity(2);
        set->menus[name] = MenuItems(0);
      } else if (kw == "softkeys") {
        SoftKeys(*set);
      } else if (kw == "strings") {
        Arity(1);
        Strings(*set);
      } else if (kw == "bitmap" || kw == "icon" || kw == "sound" || kw == "data") {
        Arity(3);
        ResName name = Name(1);
        LPCWSTR type = kw == "bitmap" ? MAKEINTRESOURCEW(2) : kw == "icon" ? MAKEINTRESOURCEW(3)
                       : kw == "sound" ? RT_WAVE_NAME : MAKEINTRESOURCEW(10);
        auto it = files_.find(Text(2));
        if (it == files_.end()) throw Failure{"file '" + Text(2) + "' is not in the resource folder"};
        set->files[ResName::From(type)][name] = it->second;
      } else {
        throw Failure{"unknown resource kind '" + kw + "'"};
      }
    }
    return set;
  }

  std::size_t line_number() const { return line_; }

 private:
  static constexpr const WCHAR* RT_WAVE_NAME = u"WAVE";
  static constexpr int kMaxMenuDepth = 16;

  // Moves to the next line with tokens; false at the end.
  bool Next() {
    while (line_ < lines_.size()) {
      tokens_ = Tokenize(lines_[line_++]);
      if (!tokens_.empty()) return true;
    }
    return false;
  }
  void NextInBlock() {
    if (!Next()) {
      line_ = block_line_;  // the error names the line that opened the block
      throw Failure{"missing 'end'"};
    }
  }
  const std::string& Word(std::size_t i) {
    if (i >= tokens_.size() || tokens_[i].kind != Token::kWord) throw Failure{"expected a word"};
    return tokens_[i].text;
  }
  const std::string& Text(std::size_t i) {
    if (i >= tokens_.size() || tokens_[i].kind != Token::kString) throw Failure{"expected a quoted text"};
    return tokens_[i].text;
  }
  std::u16string WideText(std::size_t i) { return text::FromUtf8(Text(i)); }
  long Int(std::size_t i, long min, long max) {
    auto v = Number(Word(i));
    if (!v) {
      static const std::pair<const char*, long> kIds[] = {{"IDOK", 1},  {"IDCANCEL", 2}, {"IDYES", 6},
                                                          {"IDNO", 7},  {"IDABORT", 3},  {"IDRETRY", 4},
                                                          {"IDIGNORE", 5}, {"IDC_STATIC", -1}};
      for (auto& [n, val] : kIds)
        if (Word(i) == n) v = val;
    }
    if (!v) throw Failure{"'" + Word(i) + "' is not a number"};
    if (*v < min || *v > max) throw Failure{"number " + Word(i) + " is out of range"};
    return *v;
  }
  ResName Name(std::size_t i) {
    auto v = Number(Word(i));
    ResName n;
    if (v) {
      if (*v < 1 || *v > 0xFFFF) throw Failure{"resource id " + Word(i) + " is out of range"};
      n.id = static_cast<WORD>(*v);
    } else {
      for (char c : Word(i)) n.name += static_cast<char16_t>(std::toupper(static_cast<unsigned char>(c)));
    }
    return n;
  }
  void Arity(std::size_t n) {
    if (tokens_.size() != n) throw Failure{"expected " + std::to_string(n) + " items on the line"};
  }
  // Flags from token i on: names or numbers joined by '|'; "~NAME" removes a default.
  std::size_t Flags(std::size_t i, DWORD& value) {
    bool first = true;
    while (i < tokens_.size()) {
      if (!first) {
        if (tokens_[i].kind != Token::kBar) break;
        ++i;
      }
      const std::string& w = Word(i);
      bool remove = !w.empty() && w[0] == '~';
      std::string name = remove ? w.substr(1) : w;
      std::optional<DWORD> v;
      if (auto n = Number(name)) v = static_cast<DWORD>(*n);
      else v = StyleValue(name);
      if (!v) throw Failure{"unknown style '" + name + "'"};
      value = remove ? (value & ~*v) : (value | *v);
      ++i;
      first = false;
    }
    return i;
  }

  void Dialog(ResourceSet& set) {
    Arity(6);
    DialogTemplate d;
    ResName name = Name(1);
    d.x = static_cast<short>(Int(2, -32768, 32767));
    d.y = static_cast<short>(Int(3, -32768, 32767));
    d.cx = static_cast<short>(Int(4, 0, 32767));
    d.cy = static_cast<short>(Int(5, 0, 32767));
    d.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | 0x80 /* DS_MODALFRAME */;
    for (;;) {
      NextInBlock();
      const std::string& kw = Word(0);
      if (kw == "end") break;
      if (kw == "caption") {
        Arity(2);
        d.caption = WideText(1);
      } else if (kw == "font") {
        Arity(3);
        d.font_points = static_cast<WORD>(Int(1, 1, 72));
        d.font_face = WideText(2);
        d.style |= 0x40;  // DS_SETFONT
      } else if (kw == "style") {
        d.style = 0;
        if (Flags(1, d.style) != tokens_.size()) throw Failure{"unexpected text after the style"};
        if (!d.font_face.empty()) d.style |= 0x40;
      } else if (kw == "exstyle") {
        if (Flags(1, d.ex_style) != tokens_.size()) throw Failure{"unexpected text after the style"};
      } else if (kw == "control") {
        d.controls.push_back(Control());
      } else {
        throw Failure{"unknown dialog line '" + kw + "'"};
      }
    }
    set.dialogs[name] = std::move(d);
  }

  ControlTemplate Control() {
    if (tokens_.size() < 8) throw Failure{"a control needs class, id, text and rectangle"};
    static const std::pair<const char*, const char16_t*> kClasses[] = {
        {"static", u"Static"},           {"button", u"Button"},           {"edit", u"Edit"},
        {"listbox", u"ListBox"},         {"combobox", u"ComboBox"},       {"scrollbar", u"ScrollBar"},
        {"listview", u"SysListView32"},  {"trackbar", u"msctls_trackbar32"}, {"tab", u"SysTabControl32"},
        {"progress", u"msctls_progress32"}, {"updown", u"msctls_updown32"}, {"datetime", u"SysDateTimePick32"},
        {"header", u"SysHeader32"}};
    ControlTemplate c;
    std::string cls = tokens_[1].kind == Token::kString ? Text(1) : Word(1);
    c.cls = text::FromUtf8(cls);
    for (auto& [alias, real] : kClasses)
      if (cls == alias) c.cls = real;
    c.id = static_cast<int>(Int(2, -1, 0xFFFF));
    if (tokens_[3].kind == Token::kWord && tokens_[3].text.size() > 1 && tokens_[3].text[0] == '#') {
      auto v = Number(tokens_[3].text.substr(1));
      if (!v || *v < 1 || *v > 0xFFFF) throw Failure{"bad image id '" + tokens_[3].text + "'"};
      c.text_ordinal = static_cast<WORD>(*v);
    } else {
      c.text = WideText(3);
    }
    c.x = static_cast<short>(Int(4, -32768, 32767));
    c.y = static_cast<short>(Int(5, -32768, 32767));
    c.cx = static_cast<short>(Int(6, 0, 32767));
    c.cy = static_cast<short>(Int(7, 0, 32767));
    c.style = WS_CHILD | WS_VISIBLE;
    std::size_t i = 8;
    if (i < tokens_.size() && !(tokens_[i].kind == Token::kWord && tokens_[i].text == "exstyle")) i = Flags(i, c.style);
    if (i < tokens_.size()) {
      if (Word(i) != "exstyle") throw Failure{"unexpected '" + Word(i) + "'"};
      i = Flags(i + 1, c.ex_style);
    }
    if (i != tokens_.size()) throw Failure{"unexpected text after the control"};
    return c;
  }

  std::vector<MenuItemTemplate> MenuItems(int depth) {
    std::vector<MenuItemTemplate> items;
    for (;;) {
      NextInBlock();
      const std::string& kw = Word(0);
      if (kw == "end") return items;
      MenuItemTemplate item;
      std::size_t i;
      if (kw == "separator") {
        Arity(1);
        item.flags = kSeparator;
        items.push_back(item);
        continue;
      } else if (kw == "item") {
        item.id = static_cast<UINT>(Int(1, 0, 0xFFFF));
        item.text = WideText(2);
        i = 3;
      } else if (kw == "popup") {
        item.text = WideText(1);
        item.flags = kPopup;
        i = 2;
      } else {
        throw Failure{"unknown menu line '" + kw + "'"};
      }
      for (; i < tokens_.size(); ++i) {
        const std::string& f = Word(i);
        if (f == "grayed") item.flags |= kGrayed;
        else if (f == "checked") item.flags |= kChecked;
        else throw Failure{"unknown menu item flag '" + f + "'"};
      }
      if (item.flags & kPopup) {
        if (depth >= kMaxMenuDepth) throw Failure{"popups nested too deep"};
        item.children = MenuItems(depth + 1);
      }
      items.push_back(std::move(item));
    }
  }

  void SoftKeys(ResourceSet& set) {
    Arity(4);
    if (Word(2) != "menu") throw Failure{"expected 'menu' after the soft-key bar's id"};
    SoftKeyBarTemplate bar;
    ResName name = Name(1);
    bar.menu = Name(3);
    for (;;) {
      NextInBlock();
      if (Word(0) == "end") break;
      if (Word(0) != "key") throw Failure{"unknown soft-key line '" + Word(0) + "'"};
      SoftKeyTemplate key;
      key.id = static_cast<UINT>(Int(1, 0, 0xFFFF));
      key.text = WideText(2);
      if (tokens_.size() == 5 && Word(3) == "popup") key.popup = static_cast<int>(Int(4, 0, 255));
      else Arity(3);
      bar.keys.push_back(std::move(key));
    }
    set.softkeys[name] = std::move(bar);
  }

  void Strings(ResourceSet& set) {
    for (;;) {
      NextInBlock();
      if (Word(0) == "end") return;
      Arity(2);
      set.strings[static_cast<UINT>(Int(0, 0, 0xFFFF))] = WideText(1);
    }
  }

  const std::map<std::string, std::vector<std::uint8_t>>& files_;
  std::vector<std::string_view> lines_;
  std::vector<Token> tokens_;
  std::size_t line_ = 0;
  std::size_t block_line_ = 0;
};

}  // namespace

ResName ResName::From(LPCWSTR name_or_id) {
  ResName n;
  if (IS_INTRESOURCE(name_or_id)) {
    n.id = static_cast<WORD>(reinterpret_cast<ULONG_PTR>(name_or_id));
  } else if (name_or_id) {
    std::u16string_view s = text::WideView(name_or_id);
    if (s.size() > 1 && s[0] == u'#') {  // "#123" names resource 123
      auto v = Number(text::ToUtf8(s.substr(1)));
      if (v && *v > 0 && *v <= 0xFFFF) {
        n.id = static_cast<WORD>(*v);
        return n;
      }
    }
    for (char16_t c : s) n.name += (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c;
  }
  return n;
}

ParseResult ParseResources(std::string_view text, const std::map<std::string, std::vector<std::uint8_t>>& files) {
  Parser p(text, files);
  try {
    return {p.Run(), {}};
  } catch (const Failure& f) {
    return {nullptr, "line " + std::to_string(p.line_number()) + ": " + f.message};
  }
}

}  // namespace ce::resources
