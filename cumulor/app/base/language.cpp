#include "cumulor/app/base/language.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <cstring>
#include <new>
#include <string>

#include "cumulor/app/base/language_builtin.h"
#include "cumulor/app/base/text_convert.h"
#include "cumulor/app/base/xml_reader.h"

namespace cumulor {

namespace {

// One loaded table: record 0 is English. A load builds a new set and publishes it; a set is freed
// when no thread holds it any more.
struct LanguageSet {
  DynArray<LanguageRecord*> records;
  mutable std::atomic<std::int32_t> current{0};  // changed by LangFind, read by the drawing threads

  ~LanguageSet() {
    for (LanguageRecord* r : records) delete r;
  }
};

struct LanguageTable {
  std::mutex lock;  // guards `set` (the pointer, not the set's texts, which never change)
  std::shared_ptr<const LanguageSet> set;
  LanguageHooks hooks;
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

// A set holding English only: the texts of `previous` English (when given) and the built-in texts
// over them.
std::shared_ptr<LanguageSet> EnglishOnly(const LanguageRecord* previous = nullptr) {
  auto set = std::make_shared<LanguageSet>();
  auto* record = new LanguageRecord;
  set->records.Append(record);
  EnsureTextSlot(*record, kMinLanguageTexts - 1);
  if (previous && EnsureTextSlot(*record, previous->texts.Size() - 1)) {
    for (std::int32_t id = 0; id < previous->texts.Size(); ++id)
      if (previous->texts[id]) SetText(*record, id, CopyWide(previous->texts[id]));
  }
  SetName(record->name, "English");
  for (std::int32_t i = 0; i < detail::kBuiltinEnglishCount; ++i)
    SetText(*record, detail::kBuiltinEnglish[i].id, CopyWide(detail::kBuiltinEnglish[i].text));
  return set;
}

std::shared_ptr<const LanguageSet> Published() {
  LanguageTable& t = Table();
  std::lock_guard hold(t.lock);
  if (!t.set) t.set = EnglishOnly();
  return t.set;
}

void Publish(std::shared_ptr<const LanguageSet> set) {
  LanguageTable& t = Table();
  std::shared_ptr<const LanguageSet> old;
  {
    std::lock_guard hold(t.lock);
    old = std::move(t.set);
    t.set = std::move(set);
  }
  // `old` is released here, outside the lock; threads that still hold it keep it alive.
}

// The set this thread reads. The thread keeps the two sets it saw last, so a text it was given
// stays valid until it has seen two later loads.
const LanguageSet& Held() {
  thread_local std::shared_ptr<const LanguageSet> held[2];
  std::shared_ptr<const LanguageSet> now = Published();
  if (held[0] != now) {
    held[1] = std::move(held[0]);
    held[0] = std::move(now);
  }
  return *held[0];
}

void ReadLanguage(LanguageSet& set, const XmlNode& element) {
  if (element.ChildCount() == 0) return;
  LanguageRecord* record;
  if (std::strcmp(element.Name().CStr(), "English") == 0 && element.Name().Size() == 8) {
    record = set.records[0];
  } else {
    record = new (std::nothrow) LanguageRecord;
    if (!record) return;
    if (set.records.Append(record) != S_OK) {
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
  // The new table is built apart and published whole: threads drawing texts meanwhile read the
  // old one.
  // English keeps the texts a previous document gave it; the built-in ones are stored again.
  std::shared_ptr<LanguageSet> set = EnglishOnly(Published()->records[0]);
  XmlNode top = XmlNode::ConstructTop();
  int result = XmlParseFile(path, top);
  if (result == kXmlSyntaxError) {
    Publish(set);
    if (t.hooks.showMessage) {
      std::u16string message = u"Syntax Error in Language File ";
      message += path;
      t.hooks.showMessage(message.c_str());
    }
    return;
  }
  if (result == kXmlParsed && top.ChildCount() > 0) {
    const XmlNode& document = *top.Child(0);
    for (std::int32_t i = 0; i < document.ChildCount(); ++i) ReadLanguage(*set, *document.Child(i));
  }
  Publish(set);
}

const WCHAR* LangText(std::int32_t id) {
  if (id < 0) return nullptr;
  const LanguageSet& set = Held();
  const LanguageRecord& english = *set.records[0];
  const LanguageRecord& current = *set.records[set.current.load()];
  if (id < current.texts.Size() && current.texts[id]) return current.texts[id];
  return id < english.texts.Size() ? english.texts[id] : nullptr;
}

int LangFind(const WCHAR* name) {
  LanguageTable& t = Table();
  if (!name) return 0;
  const LanguageSet& set = Held();
  for (std::int32_t i = 0; i < set.records.Size(); ++i) {
    if (std::u16string_view(set.records[i]->name) == std::u16string_view(name)) {
      set.current = i;
      if (t.hooks.languageSelected) t.hooks.languageSelected();
      return 1;
    }
  }
  return 0;
}

std::int32_t LangCount() { return Held().records.Size(); }

const WCHAR* LangName(std::int32_t index) {
  const LanguageSet& set = Held();
  return index >= 0 && index < set.records.Size() ? set.records[index]->name : nullptr;
}

const LanguageRecord& LangCurrent() {
  const LanguageSet& set = Held();
  return *set.records[set.current.load()];
}

}  // namespace cumulor
