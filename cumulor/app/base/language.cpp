#include "cumulor/app/base/language.h"

#include <atomic>
#include <cstring>
#include <new>
#include <string>

#include "cumulor/app/base/language_builtin.h"
#include "cumulor/app/base/text_convert.h"
#include "cumulor/app/base/xml_reader.h"

namespace cumulor {

namespace {

struct LanguageTable {
  DynArray<LanguageRecord*> records;
  std::atomic<std::int32_t> current{0};  // read by the drawing threads
  LanguageHooks hooks;

  ~LanguageTable() {
    for (LanguageRecord* r : records) delete r;
  }
};

LanguageTable& Table() {
  static LanguageTable table;
  return table;
}

void SetText(LanguageRecord& record, std::int32_t id, WCHAR* text) {
  delete[] record.texts[id];
  record.texts[id] = text;
}

WCHAR* CopyWide(const char16_t* text) {
  std::size_t n = std::char_traits<char16_t>::length(text);
  auto* copy = new (std::nothrow) WCHAR[n + 1];
  if (copy) std::memcpy(copy, text, (n + 1) * sizeof(WCHAR));
  return copy;
}

// Grows the text array so that it holds id (in steps of 32 entries); false when it cannot.
bool EnsureTextSlot(LanguageRecord& record, std::int32_t id) {
  std::int32_t size = record.texts.Size();
  if (size < kMinLanguageTexts) size = kMinLanguageTexts;
  while (id >= size) size += 32;
  return size == record.texts.Size() || record.texts.SetSize(size) == S_OK;
}

// An 8-bit name widened into a 20-character field, cut to 19 characters.
void SetName(WCHAR (&field)[kLanguageNameChars], const char* text) {
  NarrowToWideN(field, text ? text : "", kLanguageNameChars - 1);
}

LanguageRecord& English() {
  LanguageTable& t = Table();
  if (t.records.Empty()) {
    auto* record = new LanguageRecord;
    t.records.Append(record);
    EnsureTextSlot(*record, kMinLanguageTexts - 1);
    SetName(record->name, "English");
    for (std::int32_t i = 0; i < detail::kBuiltinEnglishCount; ++i)
      SetText(*record, detail::kBuiltinEnglish[i].id, CopyWide(detail::kBuiltinEnglish[i].text));
  }
  return *t.records[0];
}

void ReadLanguage(const XmlNode& element) {
  if (element.ChildCount() == 0) return;
  LanguageTable& t = Table();
  LanguageRecord* record;
  if (std::strcmp(element.Name().CStr(), "English") == 0 && element.Name().Size() == 8) {
    record = t.records[0];
  } else {
    record = new (std::nothrow) LanguageRecord;
    if (!record) return;
    if (t.records.Append(record) != S_OK) {
      delete record;
      return;
    }
  }
  EnsureTextSlot(*record, kMinLanguageTexts - 1);
  SetName(record->name, element.Name().CStr());

  for (std::int32_t i = 0; i < element.ChildCount(); ++i) {
    const XmlNode& entry = *element.Child(i);
    if (entry.AttributeCount() < 2) {
      if (std::strcmp(entry.Name().CStr(), "Font") == 0 && entry.Name().Size() == 5) SetName(record->fontFace, entry.GetText());
      continue;
    }
    std::int32_t id = 0;
    const char* text = entry.GetText();
    if (!entry.GetKeyInt(id) || !text) continue;
    if (id < 0 || id > kMaxLanguageTextId) continue;  // refused: no such text id
    if (!EnsureTextSlot(*record, id)) continue;
    auto* wide = new (std::nothrow) WCHAR[std::strlen(text) + 1];
    if (!wide) continue;
    SetText(*record, id, UnescapeText(wide, text));
  }
}

}  // namespace

LanguageRecord::~LanguageRecord() {
  for (WCHAR* text : texts) delete[] text;
}

void SetLanguageHooks(const LanguageHooks& hooks) { Table().hooks = hooks; }

void LangLoadFile(const WCHAR* path) {
  LanguageTable& t = Table();
  English();
  for (std::int32_t i = 1; i < t.records.Size(); ++i) delete t.records[i];
  t.records.SetSize(1);
  // The built-in texts again (a previous document may have replaced them).
  LanguageRecord& english = *t.records[0];
  EnsureTextSlot(english, kMinLanguageTexts - 1);
  SetName(english.name, "English");
  for (std::int32_t i = 0; i < detail::kBuiltinEnglishCount; ++i)
    SetText(english, detail::kBuiltinEnglish[i].id, CopyWide(detail::kBuiltinEnglish[i].text));
  t.current = 0;

  XmlNode top = XmlNode::ConstructTop();
  int result = XmlParseFile(path, top);
  if (result == kXmlSyntaxError) {
    if (t.hooks.showMessage) {
      std::u16string message = u"Syntax Error in Language File ";
      message += path;
      t.hooks.showMessage(message.c_str());
    }
    return;
  }
  if (result != kXmlParsed || top.ChildCount() == 0) return;
  const XmlNode& document = *top.Child(0);
  for (std::int32_t i = 0; i < document.ChildCount(); ++i) ReadLanguage(*document.Child(i));
  t.current = 0;
}

const WCHAR* LangText(std::int32_t id) {
  LanguageTable& t = Table();
  const LanguageRecord& english = English();
  if (id < 0) return nullptr;
  const LanguageRecord& current = *t.records[t.current];
  if (id < current.texts.Size() && current.texts[id]) return current.texts[id];
  return id < english.texts.Size() ? english.texts[id] : nullptr;
}

int LangFind(const WCHAR* name) {
  LanguageTable& t = Table();
  English();
  if (!name) return 0;
  for (std::int32_t i = 0; i < t.records.Size(); ++i) {
    if (std::u16string_view(t.records[i]->name) == std::u16string_view(name)) {
      t.current = i;
      if (t.hooks.languageSelected) t.hooks.languageSelected();
      return 1;
    }
  }
  return 0;
}

std::int32_t LangCount() {
  English();
  return Table().records.Size();
}

const WCHAR* LangName(std::int32_t index) {
  English();
  LanguageTable& t = Table();
  return index >= 0 && index < t.records.Size() ? t.records[index]->name : nullptr;
}

const LanguageRecord& LangCurrent() {
  English();
  LanguageTable& t = Table();
  return *t.records[t.current];
}

}  // namespace cumulor
