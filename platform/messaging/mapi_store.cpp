// The message stores of the simulated device: one per mail account ("mail.accounts"), each with a
// compose folder whose submitted messages are recorded as sent mail. Every call can be refused by
// script ("mapi.<step>": logon, storestable, queryrows, openstore, getprops, openentry,
// createmessage, modifyrecipients, setprops, openproperty, write, submit).
#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "platform/base/wire.h"
#include "platform/device/device.h"
#include "platform/messaging/cemapi.h"
#include "platform/text/utf.h"

namespace {

HRESULT Step(const char* name) {
  ce::device::Reply reply = ce::device::TakeReply(std::string("mapi.") + name);
  return reply.refused ? ce::device::FailureCode(reply, MAPI_E_CALL_FAILED) : S_OK;
}

std::vector<std::string> Accounts() {
  std::vector<std::string> list;
  std::string all = ce::device::GetText("mail.accounts");
  std::size_t pos = 0;
  while (pos <= all.size()) {
    std::size_t end = all.find(';', pos);
    if (end == std::string::npos) end = all.size();
    if (end > pos) list.push_back(all.substr(pos, end - pos));
    pos = end + 1;
  }
  return list;
}

// Entry ids: four flag bytes, then a kind tag and the store's position.
constexpr std::uint32_t kStoreEntry = 0x53000000u;
constexpr std::uint32_t kFolderEntry = 0x46000000u;
constexpr ULONG kEntrySize = 8;

// The account list is read once: another process may change it meanwhile.
bool ParseEntry(ULONG size, const ENTRYID* entry, std::uint32_t kind, std::size_t* index, std::string* account) {
  if (!entry || size != kEntrySize) return false;
  ce::wire::Reader r(entry, size);
  r.Skip(4);
  std::uint32_t v = r.U32();
  if ((v & 0xFF000000u) != kind) return false;
  *index = v & 0x00FFFFFFu;
  std::vector<std::string> accounts = Accounts();
  if (*index >= accounts.size()) return false;
  *account = std::move(accounts[*index]);
  return true;
}

// Fills a binary entry id value, its bytes allocated on `parent`.
bool PutEntry(SPropValue* prop, ULONG tag, std::uint32_t kind, std::size_t index, void* parent) {
  void* bytes = nullptr;
  if (MAPIAllocateMore(kEntrySize, parent, &bytes) != S_OK) return false;
  ce::wire::Writer w;
  w.U32(0);
  w.U32(kind | static_cast<std::uint32_t>(index));
  std::memcpy(bytes, w.bytes().data(), kEntrySize);
  prop->ulPropTag = tag;
  prop->Value.bin = {kEntrySize, static_cast<BYTE*>(bytes)};
  return true;
}

bool PutText(SPropValue* prop, ULONG tag, const std::string& utf8, void* parent) {
  std::u16string text = ce::text::FromUtf8(utf8);
  void* chars = nullptr;
  if (MAPIAllocateMore(static_cast<ULONG>((text.size() + 1) * sizeof(WCHAR)), parent, &chars) != S_OK) return false;
  std::memcpy(chars, text.c_str(), (text.size() + 1) * sizeof(WCHAR));
  prop->ulPropTag = tag;
  prop->Value.lpszW = static_cast<WCHAR*>(chars);
  return true;
}

template <class Interface>
class Object : public Interface {
 public:
  virtual ~Object() = default;
  HRESULT QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_INVALIDARG;
    *object = nullptr;
    if (!(iid == IID_IUnknown)) return E_NOINTERFACE;
    *object = this;
    AddRef();
    return S_OK;
  }
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

 private:
  std::atomic<ULONG> refs_{1};
};

template <class Interface>
class NoProps : public Object<Interface> {
 public:
  HRESULT GetProps(const SPropTagArray*, ULONG, ULONG*, SPropValue**) override { return MAPI_E_NO_SUPPORT; }
  HRESULT SetProps(ULONG, const SPropValue*, SPropProblemArray**) override { return MAPI_E_NO_SUPPORT; }
  HRESULT OpenProperty(ULONG, const IID*, ULONG, ULONG, IUnknown**) override { return MAPI_E_NO_SUPPORT; }
};

class Message;

class BodyStream : public Object<IStream> {
 public:
  explicit BodyStream(Message* message);
  ~BodyStream() override;
  HRESULT Write(const void* data, ULONG size, ULONG* written) override {
    if (HRESULT hr = Step("write"); hr != S_OK) return hr;
    if (!data && size) return E_INVALIDARG;
    auto p = static_cast<const std::uint8_t*>(data);
    bytes_.insert(bytes_.end(), p, p + size);
    if (written) *written = size;
    return S_OK;
  }
  HRESULT Commit(DWORD) override;

 private:
  Message* message_;
  std::vector<std::uint8_t> bytes_;
};

class Message : public NoProps<IMessage> {
 public:
  explicit Message(std::string account) : account_(std::move(account)) {}

  HRESULT SetProps(ULONG count, const SPropValue* props, SPropProblemArray** problems) override {
    if (HRESULT hr = Step("setprops"); hr != S_OK) return hr;
    if (count && !props) return E_INVALIDARG;
    if (problems) *problems = nullptr;
    for (ULONG i = 0; i < count; ++i) {
      if (props[i].ulPropTag == PR_SUBJECT_W)
        subject_ = props[i].Value.lpszW ? ce::text::ToUtf8(ce::text::WideView(props[i].Value.lpszW)) : std::string();
      else if (props[i].ulPropTag == PR_MESSAGE_FLAGS)
        flags_ = props[i].Value.ul;
    }
    return S_OK;
  }

  HRESULT OpenProperty(ULONG tag, const IID*, ULONG, ULONG, IUnknown** out) override {
    if (HRESULT hr = Step("openproperty"); hr != S_OK) return hr;
    if (!out) return E_INVALIDARG;
    *out = nullptr;
    if (tag != PR_BODY_W) return MAPI_E_NO_SUPPORT;
    *out = new BodyStream(this);
    return S_OK;
  }

  HRESULT ModifyRecipients(ULONG flags, const ADRLIST* list) override {
    if (HRESULT hr = Step("modifyrecipients"); hr != S_OK) return hr;
    if (!list || !(flags & MODRECIP_ADD)) return E_INVALIDARG;
    for (ULONG i = 0; i < list->cEntries; ++i) {
      const ADRENTRY& entry = list->aEntries[i];
      if (entry.cValues && !entry.rgPropVals) return E_INVALIDARG;
      for (ULONG j = 0; j < entry.cValues; ++j) {
        const SPropValue& p = entry.rgPropVals[j];
        if (p.ulPropTag == PR_EMAIL_ADDRESS_W && p.Value.lpszW)
          to_.push_back(ce::text::ToUtf8(ce::text::WideView(p.Value.lpszW)));
      }
    }
    return S_OK;
  }

  HRESULT SubmitMessage(ULONG) override {
    if (HRESULT hr = Step("submit"); hr != S_OK) return hr;
    ce::device::Effect e;
    e.kind = "mail";
    for (const std::string& a : to_) e.target += (e.target.empty() ? "" : ";") + a;
    e.subject = subject_;
    e.body = body_;
    e.account = account_;
    e.value = flags_;
    ce::device::Record(e);
    return S_OK;
  }

  void SetBody(const std::vector<std::uint8_t>& bytes) {
    std::u16string text;
    ce::wire::Reader r(bytes);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) text.push_back(r.U16());
    while (!text.empty() && text.back() == 0) text.pop_back();
    body_ = ce::text::ToUtf8(text);
  }

 private:
  std::string account_;
  std::vector<std::string> to_;
  std::string subject_;
  std::string body_;
  ULONG flags_ = 0;
};

BodyStream::BodyStream(Message* message) : message_(message) { message_->AddRef(); }
BodyStream::~BodyStream() {
  message_->SetBody(bytes_);
  message_->Release();
}
HRESULT BodyStream::Commit(DWORD) {
  message_->SetBody(bytes_);
  return S_OK;
}

class Folder : public NoProps<IMAPIFolder> {
 public:
  explicit Folder(std::string account) : account_(std::move(account)) {}
  HRESULT CreateMessage(const IID*, ULONG, IMessage** message) override {
    if (HRESULT hr = Step("createmessage"); hr != S_OK) return hr;
    if (!message) return E_INVALIDARG;
    *message = new Message(account_);
    return S_OK;
  }

 private:
  std::string account_;
};

class Store : public NoProps<IMsgStore> {
 public:
  Store(std::size_t index, std::string name) : index_(index), name_(std::move(name)) {}

  HRESULT GetProps(const SPropTagArray* tags, ULONG, ULONG* count, SPropValue** props) override {
    if (HRESULT hr = Step("getprops"); hr != S_OK) return hr;
    if (!tags || !count || !props || tags->cValues == 0 || tags->cValues > 1000) return E_INVALIDARG;
    *count = 0;
    *props = nullptr;
    void* buffer = nullptr;
    if (MAPIAllocateBuffer(static_cast<ULONG>(tags->cValues * sizeof(SPropValue)), &buffer) != S_OK)
      return E_OUTOFMEMORY;
    auto values = static_cast<SPropValue*>(buffer);
    bool missing = false;
    for (ULONG i = 0; i < tags->cValues; ++i) {
      ULONG tag = tags->aulPropTag[i];
      bool ok = tag == PR_DISPLAY_NAME_W                ? PutText(&values[i], tag, name_, buffer)
                : tag == PR_CE_COMPOSE_FOLDER_ENTRYID ? PutEntry(&values[i], tag, kFolderEntry, index_, buffer)
                : tag == PR_ENTRYID                     ? PutEntry(&values[i], tag, kStoreEntry, index_, buffer)
                                                        : false;
      if (!ok) {
        values[i].ulPropTag = (tag & 0xFFFF0000u) | PT_ERROR;
        values[i].Value.err = MAPI_E_NOT_FOUND;
        missing = true;
      }
    }
    *count = tags->cValues;
    *props = values;
    return missing ? MAPI_W_ERRORS_RETURNED : S_OK;
  }

  HRESULT OpenEntry(ULONG entry_size, const ENTRYID* entry, const IID*, ULONG, ULONG* object_type,
                    IUnknown** out) override {
    if (HRESULT hr = Step("openentry"); hr != S_OK) return hr;
    if (!out || !object_type) return E_INVALIDARG;
    *out = nullptr;
    std::size_t index;
    std::string account;
    if (!ParseEntry(entry_size, entry, kFolderEntry, &index, &account) || index != index_)
      return MAPI_E_INVALID_ENTRYID;
    *object_type = MAPI_FOLDER;
    *out = static_cast<IMAPIFolder*>(new Folder(name_));
    return S_OK;
  }

 private:
  std::size_t index_;
  std::string name_;
};

class StoresTable : public Object<IMAPITable> {
 public:
  StoresTable() : accounts_(Accounts()) {}

  HRESULT QueryRows(LONG count, ULONG, SRowSet** rows) override {
    if (HRESULT hr = Step("queryrows"); hr != S_OK) return hr;
    if (!rows || count <= 0) return E_INVALIDARG;
    *rows = nullptr;
    std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(count), accounts_.size() - position_);
    void* buffer = nullptr;
    if (MAPIAllocateBuffer(static_cast<ULONG>(offsetof(SRowSet, aRow) + std::max<std::size_t>(n, 1) * sizeof(SRow)),
                           &buffer) != S_OK)
      return E_OUTOFMEMORY;
    auto set = static_cast<SRowSet*>(buffer);
    for (std::size_t i = 0; i < n; ++i, ++position_) {
      void* props = nullptr;
      if (MAPIAllocateBuffer(2 * sizeof(SPropValue), &props) != S_OK ||
          !PutEntry(&static_cast<SPropValue*>(props)[0], PR_ENTRYID, kStoreEntry, position_, props) ||
          !PutText(&static_cast<SPropValue*>(props)[1], PR_DISPLAY_NAME_W, accounts_[position_], props)) {
        MAPIFreeBuffer(props);
        FreeProws(set);
        return E_OUTOFMEMORY;
      }
      set->aRow[i] = {0, 2, static_cast<SPropValue*>(props)};
      set->cRows = static_cast<ULONG>(i + 1);
    }
    *rows = set;
    return S_OK;
  }

 private:
  std::vector<std::string> accounts_;
  std::size_t position_ = 0;
};

class Session : public Object<IMAPISession> {
 public:
  HRESULT GetMsgStoresTable(ULONG, IMAPITable** table) override {
    if (HRESULT hr = Step("storestable"); hr != S_OK) return hr;
    if (!table) return E_INVALIDARG;
    *table = new StoresTable();
    return S_OK;
  }
  HRESULT OpenMsgStore(ULONG_PTR, ULONG entry_size, const ENTRYID* entry, const IID*, ULONG,
                       IMsgStore** store) override {
    if (HRESULT hr = Step("openstore"); hr != S_OK) return hr;
    if (!store) return E_INVALIDARG;
    *store = nullptr;
    std::size_t index;
    std::string account;
    if (!ParseEntry(entry_size, entry, kStoreEntry, &index, &account)) return MAPI_E_INVALID_ENTRYID;
    *store = new Store(index, std::move(account));
    return S_OK;
  }
  HRESULT Logoff(ULONG_PTR, ULONG, ULONG) override { return S_OK; }
};

}  // namespace

HRESULT MAPIInitialize(LPVOID) { return S_OK; }
void MAPIUninitialize() {}

HRESULT MAPILogonEx(ULONG_PTR, LPWSTR, LPWSTR, ULONG, IMAPISession** session) {
  if (!session) return E_INVALIDARG;
  *session = nullptr;
  if (HRESULT hr = Step("logon"); hr != S_OK) return hr;
  *session = new Session();
  return S_OK;
}
