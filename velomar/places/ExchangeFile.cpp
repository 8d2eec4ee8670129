// The exchange file "\Velomar.xml": every place with its cells, LACs, periods and actions, written
// and read through the XML document object model.
//
//   <Velomar>
//     <place name=".." description=".." image=".." id="3">
//       <cell id=".."/> ... <lac id=".."/> ...
//       <schedule name=".." begin_hour=".." begin_minute=".." end_hour=".." end_minute="..">
//         <action id="kind" type="trigger" arg_int_1..3 arg_char_1..3
//                 arg_time_1_year .. arg_time_3_second/>
//       </schedule>
//     </place>
//   </Velomar>
//
// All values are attributes, numbers as decimal text. The import adds to the tables: a place with
// id 0 rewrites the default place, any other id becomes a new place with a new key, and a place
// element without "id" is skipped with everything in it. A row that cannot be stored as it stands
// is skipped and counted: a cell or LAC whose id is not a whole number from 0 up, and a schedule
// (with its actions) whose hours are not 0 to 23 or whose minutes are not 0 to 59.
#include <algorithm>
#include <climits>
#include <exception>
#include <utility>
#include <optional>
#include <string>
#include <vector>

#include "platform/cedb/cedb_batch.h"
#include "platform/files/files.h"
#include "platform/kernel/kernel.h"
#include "platform/window/window.h"
#include "platform/xml/msxml.h"
#include "teskautils/TeskaUtils.h"
#include "velomar/core/Exceptions.h"
#include "velomar/places/DB.h"
#include "velomar/places/TableActions.h"
#include "velomar/places/TableLocation.h"
#include "velomar/places/TablePeriods.h"
#include "velomar/places/TablePlaces.h"
#include "velomar/ui/Translator.h"

namespace {

constexpr const WCHAR* kExchangeFile = u"\\Velomar.xml";

// An interface pointer released when it goes.
template <class T>
class ComRef {
 public:
  ComRef() = default;
  ~ComRef() { Reset(); }
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;
  T* get() const { return m_ptr; }
  T* operator->() const { return m_ptr; }
  T** out() {
    Reset();
    return &m_ptr;
  }
  void Reset() {
    if (m_ptr) m_ptr->Release();
    m_ptr = nullptr;
  }
  void Swap(ComRef& other) { std::swap(m_ptr, other.m_ptr); }

 private:
  T* m_ptr = nullptr;
};

// A BSTR freed when it goes.
class Bstr {
 public:
  explicit Bstr(const std::u16string& text) : m_text(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {
    if (!m_text) throw CExceptionDB(u"COM error 0x8007000E");  // E_OUTOFMEMORY
  }
  ~Bstr() { SysFreeString(m_text); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  BSTR get() const { return m_text; }

 private:
  BSTR m_text;
};

// A new document with validation, resolving of externals and white space switched off; null
// when none can be made.
bool NewDocument(ComRef<IXMLDOMDocument>& document) {
  if (CoCreateInstance(CLSID_DOMDocument, nullptr, CLSCTX_ALL, IID_IXMLDOMDocument,
                       reinterpret_cast<void**>(document.out())) != S_OK ||
      !document.get())
    return false;
  document->put_validateOnParse(VARIANT_FALSE);
  document->put_resolveExternals(VARIANT_FALSE);
  document->put_preserveWhiteSpace(VARIANT_FALSE);
  return true;
}

// The file name as a BSTR variant.
VARIANT FileVariant() {
  VARIANT file;
  VariantInit(&file);
  file.vt = VT_BSTR;
  file.bstrVal = SysAllocString(kExchangeFile);
  if (!file.bstrVal) throw CExceptionDB(u"COM error 0x8007000E");  // E_OUTOFMEMORY
  return file;
}

// ---- Writing ---------------------------------------------------------------------------------------

void SetAttribute(IXMLDOMElement* element, const std::u16string& name, VARIANT value) {
  Bstr attribute(name);
  element->setAttribute(attribute.get(), value);
}

void SetText(IXMLDOMElement* element, const std::u16string& name, const std::u16string& text) {
  VARIANT value;
  VariantInit(&value);
  value.vt = VT_BSTR;
  value.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  SetAttribute(element, name, value);
  VariantClear(&value);
}

void SetInt(IXMLDOMElement* element, const std::u16string& name, int number) {
  VARIANT value;
  VariantInit(&value);
  value.vt = VT_I4;
  value.lVal = number;
  SetAttribute(element, name, value);
}

void SetWord(IXMLDOMElement* element, const std::u16string& name, WORD number) {
  VARIANT value;
  VariantInit(&value);
  value.vt = VT_UI2;
  value.uiVal = number;
  SetAttribute(element, name, value);
}

// Creates an element of `document`, lets `fill` fill it and appends it to `parent`.
template <class Fill>
void AppendElement(IXMLDOMDocument* document, IXMLDOMNode* parent, const std::u16string& tag, Fill fill) {
  ComRef<IXMLDOMElement> element;
  Bstr name(tag);
  if (document->createElement(name.get(), element.out()) != S_OK || !element.get()) return;
  fill(element.get());
  parent->appendChild(element.get(), nullptr);
}

void SetTime(IXMLDOMElement* element, int index, const SYSTEMTIME& time) {
  const std::u16string prefix = u"arg_time_" + std::u16string(1, static_cast<char16_t>(u'0' + index)) + u"_";
  SetWord(element, prefix + u"year", time.wYear);
  SetWord(element, prefix + u"month", time.wMonth);
  SetWord(element, prefix + u"day", time.wDay);
  SetWord(element, prefix + u"hour", time.wHour);
  SetWord(element, prefix + u"minute", time.wMinute);
  SetWord(element, prefix + u"second", time.wSecond);
}

void WriteAction(IXMLDOMElement* element, const CStrAction& action) {
  SetInt(element, u"id", action.GetKind());
  SetInt(element, u"type", action.GetTrigger());
  SetInt(element, u"arg_int_1", action.GetIntOp1());
  SetInt(element, u"arg_int_2", action.GetIntOp2());
  SetInt(element, u"arg_int_3", action.GetIntOp3());
  SetText(element, u"arg_char_1", action.GetSzOp1());
  SetText(element, u"arg_char_2", action.GetSzOp2());
  SetText(element, u"arg_char_3", action.GetSzOp3());
  SetTime(element, 1, action.GetStOp1());
  SetTime(element, 2, action.GetStOp2());
  SetTime(element, 3, action.GetStOp3());
}

// ---- Reading ---------------------------------------------------------------------------------------

// A decimal number as the text-to-long conversion reads it: leading blanks, a sign, digits; text
// that is not a number reads as 0, and a number out of range as the nearest 32-bit limit.
int ParseLong(const std::u16string& text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == u' ' || (text[i] >= u'\t' && text[i] <= u'\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
  long long value = 0;
  for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
    value = value * 10 + (text[i] - u'0');
    if (value > static_cast<long long>(INT_MAX) + 1) break;
  }
  if (negative) value = -value;
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

// A whole decimal number from `low` to `high` (leading blanks allowed, as the text-to-long
// conversion takes them); nothing for any other text.
std::optional<long long> WholeNumber(const std::u16string& text, long long low, long long high) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == u' ' || (text[i] >= u'\t' && text[i] <= u'\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
  if (i == text.size()) return std::nullopt;
  long long value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < u'0' || text[i] > u'9') return std::nullopt;
    value = value * 10 + (text[i] - u'0');
    if (value > high + 1LL) value = high + 1LL;  // out of range either way; no overflow
  }
  if (negative) value = -value;
  if (value < low || value > high) return std::nullopt;
  return value;
}

std::optional<std::u16string> Attribute(IXMLDOMElement* element, const std::u16string& name) {
  Bstr attribute(name);
  VARIANT value;
  VariantInit(&value);
  std::optional<std::u16string> text;
  if (element->getAttribute(attribute.get(), &value) == S_OK && value.vt == VT_BSTR)
    text = value.bstrVal ? std::u16string(value.bstrVal) : std::u16string();
  VariantClear(&value);
  return text;
}

void ReadText(IXMLDOMElement* element, const std::u16string& name, std::u16string& field) {
  if (auto text = Attribute(element, name)) field = *text;
}

template <class Number>
void ReadNumber(IXMLDOMElement* element, const std::u16string& name, Number& field) {
  if (auto text = Attribute(element, name)) field = static_cast<Number>(ParseLong(*text));
}

// Calls `visit(element, name)` for each child element of `parent`, in document order.
template <class Visit>
void ForEachChildElement(IXMLDOMNode* parent, Visit visit) {
  ComRef<IXMLDOMNode> child;
  parent->get_firstChild(child.out());
  while (child.get()) {
    DOMNodeType type = NODE_INVALID;
    child->get_nodeType(&type);
    if (type == NODE_ELEMENT) {
      ComRef<IXMLDOMElement> element;
      BSTR name = nullptr;
      child->get_nodeName(&name);
      const std::u16string tag = name ? std::u16string(name) : std::u16string();
      SysFreeString(name);
      if (child->QueryInterface(IID_IXMLDOMElement, reinterpret_cast<void**>(element.out())) == S_OK && element.get())
        visit(element.get(), tag);
    }
    ComRef<IXMLDOMNode> next;
    child->get_nextSibling(next.out());
    child.Swap(next);
  }
}

SYSTEMTIME ReadTime(IXMLDOMElement* element, int index, SYSTEMTIME time) {
  const std::u16string prefix = u"arg_time_" + std::u16string(1, static_cast<char16_t>(u'0' + index)) + u"_";
  ReadNumber(element, prefix + u"year", time.wYear);
  ReadNumber(element, prefix + u"month", time.wMonth);
  ReadNumber(element, prefix + u"day", time.wDay);
  ReadNumber(element, prefix + u"hour", time.wHour);
  ReadNumber(element, prefix + u"minute", time.wMinute);
  ReadNumber(element, prefix + u"second", time.wSecond);
  return time;
}

// One import: the rows skipped, and the places done of all the places of the file for whoever
// shows the progress.
struct ImportRun {
  CDB& db;
  const CDB::ImportProgress* progress = nullptr;
  int skipped = 0;
  int placesDone = 0;
  int placesTotal = 0;
};

// True when the attribute is absent or a whole number from `low` to `high`.
bool AbsentOrWithin(IXMLDOMElement* element, const std::u16string& name, long long low, long long high) {
  const std::optional<std::u16string> text = Attribute(element, name);
  return !text || WholeNumber(*text, low, high).has_value();
}

void ImportAction(CDB& db, IXMLDOMElement* element, int period_key) {
  CStrAction action;
  action.SetIdPeriod(period_key);
  // Each field keeps its value when the element lacks it or it does not read.
  const auto number = [element](const std::u16string& name, int value) {
    ReadNumber(element, name, value);
    return value;
  };
  const auto text = [element](const std::u16string& name, std::u16string value) {
    ReadText(element, name, value);
    return value;
  };
  action.SetKind(number(u"id", action.GetKind()));
  action.SetTrigger(number(u"type", action.GetTrigger()));
  action.SetIntOp1(number(u"arg_int_1", action.GetIntOp1()));
  action.SetIntOp2(number(u"arg_int_2", action.GetIntOp2()));
  action.SetIntOp3(number(u"arg_int_3", action.GetIntOp3()));
  action.SetSzOp1(text(u"arg_char_1", action.GetSzOp1()));
  action.SetSzOp2(text(u"arg_char_2", action.GetSzOp2()));
  action.SetSzOp3(text(u"arg_char_3", action.GetSzOp3()));
  action.SetStOp1(ReadTime(element, 1, action.GetStOp1()));
  action.SetStOp2(ReadTime(element, 2, action.GetStOp2()));
  action.SetStOp3(ReadTime(element, 3, action.GetStOp3()));
  db.GetActionsTable()->Insert(action);
}

void ImportSchedule(ImportRun& run, IXMLDOMElement* element, int place_key) {
  CDB& db = run.db;
  if (!AbsentOrWithin(element, u"begin_hour", 0, 23) || !AbsentOrWithin(element, u"begin_minute", 0, 59) ||
      !AbsentOrWithin(element, u"end_hour", 0, 23) || !AbsentOrWithin(element, u"end_minute", 0, 59)) {
    ++run.skipped;  // its actions go with it
    return;
  }
  CStrPeriod period;
  period.SetIdPlace(place_key);
  std::u16string name;
  ReadText(element, u"name", name);
  period.SetName(name);
  SYSTEMTIME begin = period.GetBegin();
  SYSTEMTIME end = period.GetEnd();
  ReadNumber(element, u"begin_hour", begin.wHour);
  ReadNumber(element, u"begin_minute", begin.wMinute);
  ReadNumber(element, u"end_hour", end.wHour);
  ReadNumber(element, u"end_minute", end.wMinute);
  period.SetBegin(begin);
  period.SetEnd(end);
  db.GetPeriodsTable()->Insert(period);
  ForEachChildElement(element, [&](IXMLDOMElement* child, const std::u16string& tag) {
    if (tag == u"action") ImportAction(db, child, period.GetKey());
  });
}

void ImportLocation(ImportRun& run, CTableLocation* table, IXMLDOMElement* element, int place_key) {
  const std::optional<std::u16string> id = Attribute(element, u"id");
  const std::optional<long long> value = id ? WholeNumber(*id, 0, INT_MAX) : std::nullopt;
  if (!value) {
    ++run.skipped;
    return;
  }
  std::unique_ptr<CStrBase> record = table->NewRecord();
  auto* location = dynamic_cast<CStrLocation*>(record.get());
  if (!location) return;
  location->SetPlace(place_key);
  location->SetValue(static_cast<int>(*value));
  table->Insert(*location);
}

void ImportPlace(ImportRun& run, IXMLDOMElement* element) {
  CDB& db = run.db;
  CStrPlace place;
  std::u16string text;
  ReadText(element, u"name", text = place.GetName());
  place.SetName(text);
  ReadText(element, u"description", text = place.GetDescription());
  place.SetDescription(text);
  ReadText(element, u"image", text = place.GetImage());
  place.SetImage(text);
  const std::optional<std::u16string> id = Attribute(element, u"id");
  if (!id) return;  // a place that is not stored owns nothing: its children are skipped too
  if (ParseLong(*id) == 0) {
    place.SetIdPlace(0);
    db.GetPlacesTable()->Update(place);
  } else {
    db.GetPlacesTable()->Insert(place);  // a new key; the file's id is not used
  }
  const int key = place.GetIdPlace();
  ForEachChildElement(element, [&](IXMLDOMElement* child, const std::u16string& tag) {
    if (tag == u"cell") ImportLocation(run, db.GetCellsTable(), child, key);
    else if (tag == u"lac") ImportLocation(run, db.GetLacsTable(), child, key);
    else if (tag == u"schedule") ImportSchedule(run, child, key);
  });
}

// How often the progress is told: about every hundredth of the places, and at the end.
bool ProgressDue(const ImportRun& run) {
  const int step = std::max(run.placesTotal / 100, 1);
  return run.placesDone % step == 0 || run.placesDone == run.placesTotal;
}

// Adds every place of the document. The root element's name is not checked.
void ImportPlaces(ImportRun& run, IXMLDOMDocument* document) {
  ComRef<IXMLDOMElement> root;
  document->get_documentElement(root.out());
  if (!root.get()) return;
  if (run.progress && *run.progress) {
    ForEachChildElement(root.get(), [&](IXMLDOMElement*, const std::u16string& tag) {
      if (tag == u"place") ++run.placesTotal;
    });
    (*run.progress)(0, run.placesTotal);
  }
  ForEachChildElement(root.get(), [&](IXMLDOMElement* element, const std::u16string& tag) {
    if (tag != u"place") return;
    ImportPlace(run, element);
    ++run.placesDone;
    if (run.progress && *run.progress && ProgressDue(run)) (*run.progress)(run.placesDone, run.placesTotal);
  });
}

// The size of a file, or -1 when there is none.
long long FileSize(const std::u16string& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return -1;
  DWORD high = 0;
  const DWORD low = GetFileSize(file, &high);
  CloseHandle(file);
  return (static_cast<long long>(high) << 32) | low;
}

}  // namespace

void CStrPlace::ExportXml(IXMLDOMElement* element) const {
  if (!element) return;
  SetText(element, u"name", m_name);
  SetText(element, u"description", m_description);
  SetText(element, u"image", m_image);
  SetInt(element, u"id", m_idPlace);
  CDB* db = CDB::GetInstance();
  ComRef<IXMLDOMDocument> document;
  if (!db || element->get_ownerDocument(document.out()) != S_OK || !document.get()) return;

  for (CTableLocation* table : {static_cast<CTableLocation*>(db->GetCellsTable()),
                                static_cast<CTableLocation*>(db->GetLacsTable())}) {
    LocationList rows;
    table->GetRecordsOfPlace(rows, m_idPlace);
    const std::u16string tag = table == db->GetCellsTable() ? u"cell" : u"lac";
    for (const auto& row : rows)
      AppendElement(document.get(), element, tag, [&](IXMLDOMElement* child) { SetInt(child, u"id", row->GetValue()); });
  }

  std::vector<CStrPeriod> periods;
  db->GetPeriodsTable()->GetAllRecordsForPlace(periods, m_idPlace);
  for (const CStrPeriod& period : periods) {
    AppendElement(document.get(), element, u"schedule", [&](IXMLDOMElement* schedule) {
      SetText(schedule, u"name", period.GetName());
      SetWord(schedule, u"begin_hour", period.GetBegin().wHour);
      SetWord(schedule, u"begin_minute", period.GetBegin().wMinute);
      SetWord(schedule, u"end_hour", period.GetEnd().wHour);
      SetWord(schedule, u"end_minute", period.GetEnd().wMinute);
      std::vector<CStrAction> actions;
      db->GetActionsTable()->GetActionsOfPeriod(actions, period.GetKey());
      for (const CStrAction& action : actions)
        AppendElement(document.get(), schedule, u"action", [&](IXMLDOMElement* child) { WriteAction(child, action); });
    });
  }
}

void CDB::ExportXML() {
  CoInitializeEx(nullptr, 0);
  bool saved = false;
  try {
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    ComRef<IXMLDOMDocument> document;
    if (NewDocument(document)) {
      ComRef<IXMLDOMElement> root;
      Bstr name(u"Velomar");
      if (document->createElement(name.get(), root.out()) == S_OK && root.get()) {
        document->appendChild(root.get(), nullptr);
        std::vector<CStrPlace> places;
        m_places->GetAllRecords(places);
        for (const CStrPlace& place : places)
          AppendElement(document.get(), root.get(), u"place", [&](IXMLDOMElement* element) { place.ExportXml(element); });
        VARIANT file = FileVariant();
        saved = document->save(file) == S_OK;
        VariantClear(&file);
      }
    }
  } catch (const CBaseException&) {
    saved = false;  // nothing was written
  }
  CTranslator* texts = CTranslator::GetInstance();
  if (saved) {
    TextBox(nullptr, texts->GetText(u"DATA EXPORTED TO").c_str(), kExchangeFile);
  } else {
    ErrorBox(nullptr, texts->GetText(u"ERROR WRITING FILE").c_str(), kExchangeFile);
  }
}

IXMLDOMDocument* CDB::LoadExchangeFile() {
  CoInitializeEx(nullptr, 0);
  ComRef<IXMLDOMDocument> document;
  VARIANT_BOOL loaded = VARIANT_FALSE;
  try {
    if (NewDocument(document)) {
      VARIANT file = FileVariant();
      const HRESULT hr = document->load(file, &loaded);
      VariantClear(&file);
      if (hr != S_OK) loaded = VARIANT_FALSE;
    }
  } catch (const CBaseException&) {
    loaded = VARIANT_FALSE;
  }
  if (loaded != VARIANT_TRUE) return nullptr;
  IXMLDOMDocument* out = document.get();
  out->AddRef();
  return out;
}

void CDB::ImportXML() {
  SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  IXMLDOMDocument* document = LoadExchangeFile();
  ImportXML(document);
  if (document) document->Release();
}

void CDB::ImportXML(IXMLDOMDocument* document) {
  SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  CoInitializeEx(nullptr, 0);
  CTranslator* texts = CTranslator::GetInstance();
  bool imported = false;
  ImportRun run{*this};
  try {
    if (document) {
      std::lock_guard<std::recursive_mutex> lock(m_lock);
      ImportPlaces(run, document);
      imported = true;
    }
  } catch (const CBaseException&) {
    imported = false;  // what was inserted before the failure stays
  } catch (const std::exception&) {
    imported = false;
  }
  SetCursor(LoadCursorW(nullptr, IDC_ARROW));
  if (imported) {
    TextBox(nullptr, u"%s", ImportedText(run.skipped).c_str());
  } else {
    ErrorBox(nullptr, texts->GetText(u"ERROR READING FILE").c_str());
  }
}

std::u16string CDB::ImportedText(int skipped) {
  CTranslator* texts = CTranslator::GetInstance();
  std::u16string text = texts->GetFormatted(u"MESSAGE_XML_IMPORT_SUCCESS", kExchangeFile);
  if (skipped > 0) text += u"\n" + texts->GetFormatted(u"MESSAGE_XML_IMPORT_SKIPPED", skipped);
  return text;
}

bool CDB::ReplaceFromExchange(IXMLDOMDocument* document, std::u16string& failure, int& skipped,
                              const ImportProgress& progress) {
  std::lock_guard<std::recursive_mutex> lock(m_lock);
  CoInitializeEx(nullptr, 0);
  CTranslator* texts = CTranslator::GetInstance();
  const std::u16string aside = GetAsidePath();
  CloseDB();
  RemoveVolumeFiles(aside);
  // The new volume, with its default records and every place of the document, goes into a file of
  // its own; the volume file is not touched until that one is whole.
  m_buildingAside = true;
  m_deferFlushes = true;
  bool built = false;
  bool batched = false;
  ImportRun run{*this, &progress};
  try {
    OpenDB();
    // The volume is ours alone until it is put in place: every record goes into one transaction.
    batched = ce::cedb::BeginBatch(&m_guid) != FALSE;
    if (document) ImportPlaces(run, document);
    skipped = run.skipped;
    built = true;
  } catch (const CBaseException& e) {
    failure = e.GetMessage();
  } catch (const std::exception&) {
    failure.clear();
  }
  if (batched && !ce::cedb::EndBatch(&m_guid, built) && built) {
    built = false;  // the records did not reach the file: told as a volume that could not be written
    failure.clear();
  }
  m_deferFlushes = false;
  if (built && !CeFlushDBVol(&m_guid)) built = false;
  CloseDB();
  m_buildingAside = false;
  // Closed, the new file stands alone: a log left beside it holds what could not be written into it.
  if (built && FileSize(aside + u"-wal") > 0) built = false;
  if (built && !MoveFileExW(aside.c_str(), m_volumePath.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    built = false;
    failure = texts->GetFormatted(u"DB NOT COPIED", static_cast<int>(GetLastError()));
  }
  RemoveVolumeFiles(aside);
  OpenDB();
  return built;
}
