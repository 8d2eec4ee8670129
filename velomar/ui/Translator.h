// Texts by id from the chosen language file. The language files are the XML files
// "<program folder>\traductions\*.xml":
//
//   <velomar>
//     <languages><language name="English" tag="en" author="..." default="yes"/></languages>
//     <texts><text id="SAVE">Save</text> ...</texts>
//   </velomar>
//
// The file whose tag equals the setting "language" is loaded, else the (last) file marked default.
// A language file that cannot be found or read ends the program after an error box. Lookups are
// cached; an id the file lacks gives "????". The first backslash-n pair of a text is a line break.
#pragma once

#include <map>
#include <string>

#include "platform/base/types.h"
#include "platform/kernel/sync.h"
#include "platform/text/format.h"

struct IXMLDOMDocument;

class CTranslator {
 public:
  // Initialises the fields and loads the language (a test may build its own; the first one built
  // is the instance).
  CTranslator();
  virtual ~CTranslator();
  CTranslator(const CTranslator&) = delete;
  CTranslator& operator=(const CTranslator&) = delete;

  // The instance; the first call builds it.
  static CTranslator* GetInstance();

  // The text of `id`, or "????". Any thread.
  std::u16string GetText(const std::u16string& id);
  // The text of `id` used as a printf-style format. The format comes from a file: when its
  // conversions do not fit the arguments, the text is given back as it stands.
  template <class... Args>
  std::u16string GetFormatted(const std::u16string& id, const Args&... args) {
    return ce::text::FormatChecked(GetText(id), args...);
  }
  // Fills `languages` (cleared first) with name -> tag from every language file; the first file
  // with a name wins.
  void EnumLanguages(std::map<std::u16string, std::u16string>& languages);

  // The author of the last language file examined at start.
  std::u16string GetAuthor();

 protected:
  // Chooses and loads the language file; run once, by the constructor.
  virtual void LoadLanguage();

 private:
  struct FileInfo {
    std::u16string name, tag, author, isDefault;
  };
  // What a file that cannot be read (no XML) does: ends the program after its box, or asks whether
  // to go on with the default texts (the file then left out), or is left out without a word.
  enum class OnDamaged { kEnd, kAsk, kSkip };
  // Opens one language file and reads its description. False when it could not be located or
  // read: the program has been told to end, or the file is left out (`skipped` set).
  bool OpenLanguageFile(const std::u16string& path, FileInfo& info, OnDamaged onDamaged, bool& skipped);
  IXMLDOMDocument* LoadDocument(const std::u16string& path);
  static std::u16string Folder();

  IXMLDOMDocument* m_document = nullptr;
  std::u16string m_language;
  std::map<std::u16string, std::u16string> m_cache;
  std::u16string m_author;
  CRITICAL_SECTION m_lock{};
};

namespace velomar::seam {
// What ends the program when a language file cannot be found or read. By default the process
// exits with code 0; a test records the call instead, and the translator then goes on without
// that file.
using EndProgramHandler = void (*)();
void SetTranslatorEndProgram(EndProgramHandler handler);
// Forgets the instance, so that the next translator built, or the next GetInstance, becomes the
// instance. One that GetInstance made itself is deleted; one a caller built stays the caller's.
void ForgetTranslator();
}  // namespace velomar::seam
