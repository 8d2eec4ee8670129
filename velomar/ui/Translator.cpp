#include "velomar/ui/Translator.h"

#include <atomic>
#include <cstdlib>
#include <mutex>

#include "platform/files/files.h"
#include "platform/shell/launch.h"
#include "platform/xml/msxml.h"
#include "teskautils/TeskaUtils.h"
#include "velomar/core/Config.h"

namespace {

constexpr std::size_t kMaxPathChars = 259;
const std::u16string kMissing = u"????";

std::recursive_mutex g_instanceMutex;
CTranslator* g_instance = nullptr;

void ExitProgram() { TerminateProcess(GetCurrentProcess(), 0); }
std::atomic<velomar::seam::EndProgramHandler> g_endProgram{ExitProgram};

// A BSTR freed on every way out.
class Bstr {
 public:
  Bstr() = default;
  explicit Bstr(const std::u16string& text) : m_text(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
  ~Bstr() { SysFreeString(m_text); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  BSTR get() const { return m_text; }
  BSTR* out() { return &m_text; }
  std::u16string str() const { return m_text ? std::u16string(m_text, SysStringLen(m_text)) : std::u16string(); }

 private:
  BSTR m_text = nullptr;
};

// An interface pointer released on every way out.
template <class T>
class Ref {
 public:
  Ref() = default;
  ~Ref() {
    if (m_ptr) m_ptr->Release();
  }
  Ref(const Ref&) = delete;
  Ref& operator=(const Ref&) = delete;
  T* get() const { return m_ptr; }
  T** out() { return &m_ptr; }
  T* release() {
    T* p = m_ptr;
    m_ptr = nullptr;
    return p;
  }

 private:
  T* m_ptr = nullptr;
};

// The element that `query` selects under `node`, or null.
IXMLDOMElement* SelectElement(IXMLDOMNode* node, const std::u16string& query) {
  Bstr q(query);
  Ref<IXMLDOMNode> found;
  if (node->selectSingleNode(q.get(), found.out()) != S_OK || !found.get()) return nullptr;
  DOMNodeType type = NODE_INVALID;
  if (found.get()->get_nodeType(&type) != S_OK || type != NODE_ELEMENT) return nullptr;
  IXMLDOMElement* element = nullptr;
  if (found.get()->QueryInterface(IID_IXMLDOMElement, reinterpret_cast<void**>(&element)) != S_OK) return nullptr;
  return element;
}

std::u16string AttributeOf(IXMLDOMElement* element, const char16_t* name) {
  Bstr n{std::u16string(name)};
  VARIANT value;
  VariantInit(&value);
  std::u16string text;
  if (element->getAttribute(n.get(), &value) == S_OK && value.vt == VT_BSTR && value.bstrVal)
    text.assign(value.bstrVal, SysStringLen(value.bstrVal));
  VariantClear(&value);
  return text;
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
  if (g_instance == nullptr) new CTranslator();  // registers itself; lives until the process ends
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

IXMLDOMDocument* CTranslator::LoadDocument(const std::u16string& path) {
  Ref<IXMLDOMDocument> document;
  if (CoCreateInstance(CLSID_DOMDocument, nullptr, CLSCTX_ALL, IID_IXMLDOMDocument,
                       reinterpret_cast<void**>(document.out())) != S_OK ||
      !document.get())
    return nullptr;
  document.get()->put_validateOnParse(VARIANT_FALSE);
  document.get()->put_resolveExternals(VARIANT_FALSE);
  document.get()->put_preserveWhiteSpace(VARIANT_FALSE);
  VARIANT source;
  VariantInit(&source);
  source.vt = VT_BSTR;
  source.bstrVal = SysAllocStringLen(path.data(), static_cast<UINT>(path.size()));
  VARIANT_BOOL loaded = VARIANT_FALSE;
  const HRESULT hr = document.get()->load(source, &loaded);
  VariantClear(&source);
  if (hr != S_OK || loaded != VARIANT_TRUE) return nullptr;
  return document.release();
}

bool CTranslator::OpenLanguageFile(const std::u16string& path, FileInfo& info) {
  if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
    ErrorBox(nullptr, u"Error locating texts file %s. ", path.c_str());
    EndProgram();
    return false;
  }
  Ref<IXMLDOMDocument> document;
  *document.out() = LoadDocument(path);
  if (!document.get()) {
    ErrorBox(nullptr, u"Error reading texts file %s. ", path.c_str());
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

  std::u16string default_path;
  IXMLDOMDocument* chosen = nullptr;
  ForEachLanguageFile(Folder(), [&](const std::u16string& path) {
    FileInfo info;
    if (!OpenLanguageFile(path, info)) return true;  // the program has been told to end
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
    if (OpenLanguageFile(path, info)) languages.emplace(info.name, info.tag);
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
}  // namespace velomar::seam
