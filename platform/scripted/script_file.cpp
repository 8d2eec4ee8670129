// Reading a user script: answers for boxes, menus, choosers and dialogs.
#include "platform/scripted/script_file.h"

#include <cctype>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <sstream>
#include <vector>

#include "platform/scripted/scripted_user.h"
#include "platform/text/utf.h"

namespace ce::scripted {
namespace {

struct Failure {
  std::string message;
};

// Words and quoted texts of a line; `#` starts a comment outside quotes.
std::vector<std::string> Split(std::string_view line) {
  std::vector<std::string> out;
  std::size_t i = 0;
  while (i < line.size()) {
    char c = line[i];
    if (c == ' ' || c == '\t' || c == '\r') {
      ++i;
    } else if (c == '#') {
      break;
    } else if (c == '"') {
      std::string s = "\"";  // marks a quoted text
      bool closed = false;
      for (++i; i < line.size();) {
        char d = line[i++];
        if (d == '"') {
          closed = true;
          break;
        }
        // Escapes: \n, \" and \\ only. Any other backslash stays itself, so that CE paths
        // ("\My Documents\a.txt") are written as they are.
        if (d == '\\' && i < line.size() && (line[i] == 'n' || line[i] == '"' || line[i] == '\\'))
          d = line[i++] == 'n' ? '\n' : line[i - 1];
        s += d;
      }
      if (!closed) throw Failure{"unterminated text"};
      out.push_back(s);
    } else {
      std::size_t start = i;
      while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') ++i;
      out.push_back(std::string(line.substr(start, i - start)));
    }
  }
  return out;
}

int Int(const std::vector<std::string>& t, std::size_t i) {
  if (i >= t.size()) throw Failure{"a number is missing"};
  static const std::pair<const char*, int> kNames[] = {
      {"IDOK", 1}, {"IDCANCEL", 2}, {"IDABORT", 3}, {"IDRETRY", 4}, {"IDIGNORE", 5}, {"IDYES", 6}, {"IDNO", 7},
      {"VK_RETURN", 0x0D}, {"VK_ESCAPE", 0x1B}, {"VK_TAB", 0x09}, {"VK_SPACE", 0x20}, {"VK_LEFT", 0x25},
      {"VK_UP", 0x26}, {"VK_RIGHT", 0x27}, {"VK_DOWN", 0x28}};
  for (auto& [n, v] : kNames)
    if (t[i] == n) return v;
  const std::string& s = t[i];
  int v = 0;
  const char* b = s.data();
  const char* e = s.data() + s.size();
  int base = 10;
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) b += 2, base = 16;
  auto r = std::from_chars(b, e, v, base);
  if (r.ec != std::errc() || r.ptr != e) throw Failure{"'" + s + "' is not a number"};
  return v;
}

std::u16string Text(const std::vector<std::string>& t, std::size_t i) {
  if (i >= t.size() || t[i].empty() || t[i][0] != '"') throw Failure{"a quoted text is missing"};
  return text::FromUtf8(t[i].substr(1));
}

void Arity(const std::vector<std::string>& t, std::size_t n) {
  if (t.size() != n) throw Failure{"expected " + std::to_string(n) + " items on the line"};
}

Step DialogStep(const std::vector<std::string>& t) {
  const std::string& op = t[0];
  if (op == "settext") return Arity(t, 3), steps::SetText(Int(t, 1), Text(t, 2));
  if (op == "type") return Arity(t, 3), steps::Type(Int(t, 1), Text(t, 2));
  if (op == "click") {
    if (t.size() != 2 && t.size() != 3) throw Failure{"click takes a control and an optional row"};
    return steps::Click(Int(t, 1), t.size() == 3 ? Int(t, 2) : -1);
  }
  if (op == "select") return Arity(t, 3), steps::Select(Int(t, 1), Int(t, 2));
  if (op == "track") return Arity(t, 3), steps::Track(Int(t, 1), Int(t, 2));
  if (op == "check") return Arity(t, 3), steps::Check(Int(t, 1), Int(t, 2) != 0);
  if (op == "key") return Arity(t, 2), steps::Key(static_cast<UINT>(Int(t, 1)));
  if (op == "page") return Arity(t, 2), steps::Page(Int(t, 1));
  if (op == "column") return Arity(t, 3), steps::Column(Int(t, 1), Int(t, 2));
  if (op == "hold" && t.size() == 4) return steps::HoldCell(Int(t, 1), Int(t, 2), Int(t, 3));
  if (op == "hold") return Arity(t, 3), steps::Hold(Int(t, 1), Int(t, 2));
  if (op == "cell") return Arity(t, 4), steps::Cell(Int(t, 1), Int(t, 2), Int(t, 3));
  if (op == "spin") return Arity(t, 3), steps::Spin(Int(t, 1), Int(t, 2));
  if (op == "softkey") return Arity(t, 2), steps::SoftKey(Int(t, 1));
  if (op == "end") return Arity(t, 2), steps::End(Int(t, 1));
  throw Failure{"unknown step '" + op + "'"};
}

}  // namespace

std::string LoadScript(std::string_view text) {
  std::vector<Answer> answers;
  bool hold = false, hold_given = false;
  std::size_t line_no = 0;
  std::optional<Answer> dialog;
  try {
    std::size_t start = 0;
    while (start <= text.size()) {
      std::size_t end = text.find('\n', start);
      if (end == std::string_view::npos) end = text.size();
      std::string_view line = text.substr(start, end - start);
      start = end + 1;
      ++line_no;
      auto t = Split(line);
      if (t.empty()) continue;
      if (dialog) {
        if (t[0] == "end" && t.size() == 1) {
          answers.push_back(std::move(*dialog));
          dialog.reset();
        } else {
          dialog->steps.push_back(DialogStep(t));
        }
        continue;
      }
      const std::string& kw = t[0];
      if (kw == "box") {
        Arity(t, 2);
        answers.push_back({Kind::kBox, Int(t, 1), {}, {}, 0});
      } else if (kw == "menu") {
        Arity(t, 2);
        answers.push_back({Kind::kMenu, Int(t, 1), {}, {}, 0});
      } else if (kw == "open" || kw == "save") {
        if (t.size() > 2) throw Failure{"expected a quoted path or nothing"};
        std::u16string path = t.size() == 2 ? Text(t, 1) : u"";
        answers.push_back({kw == "open" ? Kind::kOpenFile : Kind::kSaveFile, path.empty() ? 0 : 1, {}, path, 0});
      } else if (kw == "color") {
        if (t.size() == 2 && t[1] == "cancel") {
          answers.push_back({Kind::kColor, 0, {}, {}, 0});
        } else {
          Arity(t, 4);
          int r = Int(t, 1), g = Int(t, 2), b = Int(t, 3);
          if (r < 0 || r > 255 || g < 0 || g > 255 || b < 0 || b > 255) throw Failure{"colour parts run from 0 to 255"};
          answers.push_back({Kind::kColor, 1, {}, {}, RGB(r, g, b)});
        }
      } else if (kw == "dialog") {
        Arity(t, 1);
        dialog = Answer{Kind::kDialog, 0, {}, {}, 0};
      } else if (kw == "hold") {
        Arity(t, 2);
        if (t[1] != "on" && t[1] != "off") throw Failure{"hold is 'on' or 'off'"};
        hold = t[1] == "on";
        hold_given = true;
      } else {
        throw Failure{"unknown answer '" + kw + "'"};
      }
    }
    if (dialog) throw Failure{"the dialog's steps have no 'end'"};
  } catch (const Failure& f) {
    return "line " + std::to_string(line_no) + ": " + f.message;
  }
  auto& user = User::Get();
  for (auto& a : answers) {
    switch (a.kind) {
      case Kind::kBox: user.AnswerBox(a.value); break;
      case Kind::kMenu: user.AnswerMenu(static_cast<UINT>(a.value)); break;
      case Kind::kOpenFile: user.AnswerOpenFile(a.text); break;
      case Kind::kSaveFile: user.AnswerSaveFile(a.text); break;
      case Kind::kColor: user.AnswerColor(a.value ? std::optional<COLORREF>(a.color) : std::nullopt); break;
      case Kind::kDialog: user.AnswerDialog(std::move(a.steps)); break;
    }
  }
  if (hold_given) user.HoldUnanswered(hold);
  return {};
}

void LoadScriptFromEnvironment() {
  static std::once_flag once;
  std::call_once(once, [] {
    const char* file = std::getenv("CE_USER_SCRIPT");
    if (!file || !*file) return;
    std::ifstream in(file, std::ios::binary);
    if (!in) {
      std::fprintf(stderr, "[scripted user] cannot read the script %s\n", file);
      return;
    }
    std::stringstream text;
    text << in.rdbuf();
    std::string error = LoadScript(text.str());
    if (!error.empty()) std::fprintf(stderr, "[scripted user] script %s: %s\n", file, error.c_str());
  });
}

}  // namespace ce::scripted
