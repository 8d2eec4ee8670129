#include "velomar/ui/Translator.h"

#include <atomic>
#include <cstdlib>
#include <mutex>

#include "platform/files/files.h"
#include "platform/shell/launch.h"
#include "platform/xml/msxml.h"
#include "teskautils/TeskaUtils.h"
#include "velomar/core/Config.h"
#include "velomar/ui/DomHelpers.h"

namespace {

constexpr std::size_t kMaxPathChars = 259;
constexpr int kAnswerYes = 6;  // QuestionBox's "yes"
const std::u16string kMissing = u"????";

std::recursive_mutex g_instanceMutex;
// The instance GetInstance made itself (nobody else owns it).
CTranslator* g_madeOnDemand = nullptr;
CTranslator* g_instance = nullptr;

// A program that could not start says so in its exit code.
void ExitProgram() { TerminateProcess(GetCurrentProcess(), 1); }
std::atomic<velomar::seam::EndProgramHandler> g_endProgram{ExitProgram};

using velomar::ui::Bstr;
using velomar::ui::Ref;
using velomar::ui::SelectElement;

std::u16string AttributeOf(IXMLDOMElement* element, const char16_t* name) {
  return velomar::ui::Attribute(element, name).value_or(std::u16string());
}

void EndProgram() { g_endProgram.load()(); }

// Every "*.xml" file of the folder, in the order the file system gives them.
template <class Visit>
void ForEachLanguageFile(const std::u16string& folder, Visit visit) {
  const std::u16string pattern = folder + u"\\*.xml";
  WIN32_FIND_DATAW data{};
  HANDLE find = FindFirstFileW(pattern.c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    if (!visit(folder + u"\\" + std::u16string(data.cFileName))) break;
  } while (FindNextFileW(find, &data));
  FindClose(find);
}

}  // namespace

CTranslator::CTranslator() {
  InitializeCriticalSection(&m_lock);
  LoadLanguage();
  std::lock_guard<std::recursive_mutex> lock(g_instanceMutex);
  if (g_instance == nullptr) g_instance = this;
}

CTranslator::~CTranslator() {
  {
    std::lock_guard<std::recursive_mutex> lock(g_instanceMutex);
    if (g_instance == this) g_instance = nullptr;
  }
  if (m_document) m_document->Release();
  m_document = nullptr;
  DeleteCriticalSection(&m_lock);
}

CTranslator* CTranslator::GetInstance() {
  std::lock_guard<std::recursive_mutex> lock(g_instanceMutex);
  if (g_instance == nullptr) g_madeOnDemand = new CTranslator();  // registers itself; lives until the process ends
  return g_instance;
}

std::u16string CTranslator::Folder() {
  WCHAR folder[MAX_PATH] = {};
  GetCurrentDirectory(folder);
  folder[MAX_PATH - 1] = 0;
  std::u16string path = std::u16string(folder) + u"\\traductions";
  if (path.size() > kMaxPathChars) path.resize(kMaxPathChars);
  return path;
}

IXMLDOMDocument* CTranslator::LoadDocument(const std::u16string& path) { return velomar::ui::LoadDocument(path); }

bool CTranslator::OpenLanguageFile(const std::u16string& path, FileInfo& info, OnDamaged onDamaged, bool& skipped) {
  skipped = false;
  if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
    ErrorBox(nullptr, u"Error locating texts file %s. ", path.c_str());
    EndProgram();
    return false;
  }
  Ref<IXMLDOMDocument> document;
  *document.out() = LoadDocument(path);
  if (!document.get()) {
    // One damaged file need not stop every start: the other files still hold the default texts.
    skipped = onDamaged == OnDamaged::kSkip ||
              (onDamaged == OnDamaged::kAsk &&
               QuestionBox(nullptr, u"Error reading texts file %s. \n\nGo on with the default texts?", path.c_str()) ==
                   kAnswerYes);
    if (skipped) return false;
    if (onDamaged == OnDamaged::kEnd) ErrorBox(nullptr, u"Error reading texts file %s. ", path.c_str());
    EndProgram();
    return false;
  }
  info = FileInfo{};
  Ref<IXMLDOMElement> language;
  *language.out() = SelectElement(document.get(), u"/velomar/languages/language");
  if (language.get()) {
    info.name = AttributeOf(language.get(), u"name");
    info.tag = AttributeOf(language.get(), u"tag");
    info.author = AttributeOf(language.get(), u"author");
    info.isDefault = AttributeOf(language.get(), u"default");
  }
  return true;
}

void CTranslator::LoadLanguage() {
  m_language = CConfig::GetInstance()->GetString(u"language");
  CoInitializeEx(nullptr, 0);

  std::u16string default_path, first_skipped;
  IXMLDOMDocument* chosen = nullptr;
  ForEachLanguageFile(Folder(), [&](const std::u16string& path) {
    FileInfo info;
    bool skipped = false;
    // Once the user chose to go on without a damaged file, later damaged ones are left out too.
    if (!OpenLanguageFile(path, info, first_skipped.empty() ? OnDamaged::kAsk : OnDamaged::kSkip, skipped)) {
      if (skipped && first_skipped.empty()) first_skipped = path;
      return true;  // left out, or the program has been told to end
    }
    m_author = info.author;
    if (info.isDefault == u"yes") default_path = path;
    // An absent setting asks for no file in particular, also not for one that names no tag.
    if (m_language.empty() || info.tag != m_language) return true;
    chosen = LoadDocument(path);
    if (!chosen) {
      ErrorBox(nullptr, u"Error reading texts file %s. ", path.c_str());
      EndProgram();
    }
    return false;
  });
  if (!chosen && !default_path.empty()) {
    chosen = LoadDocument(default_path);
    if (!chosen) {
      ErrorBox(nullptr, u"Error reading texts file %s. ", default_path.c_str());
      EndProgram();
    }
  }
  // The default texts were promised but the damaged file was the only one that could have held them.
  if (!chosen && !first_skipped.empty()) {
    ErrorBox(nullptr, u"Error reading texts file %s. ", first_skipped.c_str());
    EndProgram();
  }

  EnterCriticalSection(&m_lock);
  if (m_document) m_document->Release();
  m_document = chosen;
  m_cache.clear();
  LeaveCriticalSection(&m_lock);
}

std::u16string CTranslator::GetText(const std::u16string& id) {
  EnterCriticalSection(&m_lock);
  std::u16string result = kMissing;
  auto cached = m_cache.find(id);
  if (cached != m_cache.end()) {
    result = cached->second;
  } else if (m_document && id.find(u'\'') == std::u16string::npos) {
    // An id is put in the query between single quotes: one holding a quote is no id of the file
    // (and could make the query pick another text).
    Ref<IXMLDOMElement> text;
    *text.out() = SelectElement(m_document, u"/velomar/texts/text[@id='" + id + u"']");
    Bstr content;
    if (text.get() && text.get()->get_text(content.out()) == S_OK) {
      result = content.str();
      m_cache.emplace(id, result);
    }
  }
  const std::size_t pair = result.find(u"\\n");
  if (pair != std::u16string::npos) result.replace(pair, 2, u"\n");
  LeaveCriticalSection(&m_lock);
  return result;
}

void CTranslator::EnumLanguages(std::map<std::u16string, std::u16string>& languages) {
  languages.clear();
  ForEachLanguageFile(Folder(), [&](const std::u16string& path) {
    FileInfo info;
    bool skipped = false;
    // A damaged file was told at start (and gone on without): it is just not offered.
    if (OpenLanguageFile(path, info, OnDamaged::kSkip, skipped)) languages.emplace(info.name, info.tag);
    return true;
  });
}

std::u16string CTranslator::GetAuthor() {
  EnterCriticalSection(&m_lock);
  std::u16string author = m_author;
  LeaveCriticalSection(&m_lock);
  return author;
}

namespace velomar::seam {
void SetTranslatorEndProgram(EndProgramHandler handler) { g_endProgram = handler ? handler : ExitProgram; }
void ForgetTranslator() {
  std::lock_guard<std::recursive_mutex> lock(g_instanceMutex);
  if (g_instance != nullptr && g_instance == g_madeOnDemand) delete g_madeOnDemand;  // (clears g_instance)
  g_madeOnDemand = nullptr;
  g_instance = nullptr;
}
}  // namespace velomar::seam
