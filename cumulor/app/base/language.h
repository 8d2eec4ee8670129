// Language texts: captions and messages by small integer id, in English (built in, record 0) and in
// the languages of the language document "\KV_TEXT.xml". A text missing in the current language
// falls back to English.
//
// Language document: any document element; each child is one language named by its element name
// ("English" adds to and replaces the built-in texts). Inside a language: "Font" (no attribute but
// its text) gives the font face; an element with one attribute plus its text is the text with that
// attribute's value as id. Texts are 8-bit; a backslash and three decimal digits stand for the
// character of that code. Ids outside 0..kMaxLanguageTextId are refused.
#pragma once

#include <cstdint>

#include "cumulor/app/base/dyn_array.h"
#include "platform/base/types.h"

namespace cumulor {

inline constexpr std::int32_t kLanguageNameChars = 20;  // 19 characters and the terminator
inline constexpr std::int32_t kMinLanguageTexts = 256;
inline constexpr std::int32_t kMaxLanguageTextId = 4095;
// The first id of the navigation-box captions.
inline constexpr std::int32_t kNavBoxCaptionFirstId = 100;

struct LanguageRecord {
  DynArray<WCHAR*> texts;  // by id; null: no text. Owned (new[]).
  WCHAR name[kLanguageNameChars] = {};
  WCHAR fontFace[kLanguageNameChars] = {};

  LanguageRecord() = default;
  ~LanguageRecord();
  LanguageRecord(const LanguageRecord&) = delete;
  LanguageRecord& operator=(const LanguageRecord&) = delete;
};

// What the language texts call outside themselves. Both may be null (nothing happens).
struct LanguageHooks {
  // Shows a message in the program's own message box.
  void (*showMessage)(const WCHAR* text) = nullptr;
  // A language was selected: the menu bar and navigation-box captions are rebuilt.
  void (*languageSelected)() = nullptr;
};
void SetLanguageHooks(const LanguageHooks& hooks);

// Texts may be read on any thread while the UI thread loads or selects a language: a load builds
// a new table and publishes it whole; the old one is freed once no thread holds it. A thread holds
// the two tables it read last, so a text pointer it was given stays valid until that thread has
// read texts of two later loads.
//
// Rebuilds the table from the built-in English texts and the document at path; English is
// current afterwards. A document with a syntax error shows "Syntax Error in Language File %s" and
// leaves English only; a missing one leaves English only.
void LangLoadFile(const WCHAR* path);
// The current language's text for id, else English's; null when neither has one.
const WCHAR* LangText(std::int32_t id);
// Selects the language of exactly that name: 1; 0 when there is none (nothing changes).
int LangFind(const WCHAR* name);
std::int32_t LangCount();
// The record's name; null for an index outside the table.
const WCHAR* LangName(std::int32_t index);
// The current record (English before any selection).
const LanguageRecord& LangCurrent();
// The first id of the navigation-box captions (100).
inline std::int32_t LangCurrentId() { return kNavBoxCaptionFirstId; }

}  // namespace cumulor
