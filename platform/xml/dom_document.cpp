// The XML document object: parse options, load and save through CE paths, creation of nodes.
#include <filesystem>
#include <fstream>
#include <system_error>

#include "platform/files/ce_path.h"
#include "platform/text/utf.h"
#include "platform/xml/dom_internal.h"
#include "platform/xml/xml_test_seam.h"

const CLSID CLSID_DOMDocument = {0x2933BF90, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
const IID IID_IXMLDOMDocument = {0x2933BF81, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};

namespace ce::xml {
namespace detail {
namespace {

std::atomic<HRESULT> forced_create_failure{S_OK};

class DocumentImpl final : public NodeBase<IXMLDOMDocument> {
 public:
  using NodeBase::NodeBase;
  pugi::xml_node Handle() const override { return data_->tree; }

  HRESULT QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!(iid == IID_IUnknown || iid == IID_IXMLDOMNode || iid == IID_IXMLDOMDocument)) return E_NOINTERFACE;
    AddRef();
    *object = static_cast<IXMLDOMDocument*>(this);
    return S_OK;
  }

  HRESULT put_async(VARIANT_BOOL) override { return S_OK; }  // loads are always synchronous
  HRESULT put_validateOnParse(VARIANT_BOOL v) override { return Set(&data_->validate_on_parse, v); }
  HRESULT get_validateOnParse(VARIANT_BOOL* v) override { return Get(data_->validate_on_parse, v); }
  HRESULT put_resolveExternals(VARIANT_BOOL v) override { return Set(&data_->resolve_externals, v); }
  HRESULT get_resolveExternals(VARIANT_BOOL* v) override { return Get(data_->resolve_externals, v); }
  HRESULT put_preserveWhiteSpace(VARIANT_BOOL v) override { return Set(&data_->preserve_white_space, v); }
  HRESULT get_preserveWhiteSpace(VARIANT_BOOL* v) override { return Get(data_->preserve_white_space, v); }

  HRESULT load(VARIANT source, VARIANT_BOOL* loaded) override {
    if (loaded) *loaded = VARIANT_FALSE;
    if (source.vt != VT_BSTR) return E_INVALIDARG;
    DetachTree();
    const std::u16string_view ce_path(source.bstrVal ? source.bstrVal : u"", SysStringLen(source.bstrVal));
    const std::filesystem::path host = ce::files::HostPath(ce_path);
    std::error_code ec;
    if (host.empty() || !std::filesystem::is_regular_file(host, ec)) return Fail(loaded);
    return Finish(data_->tree.load_file(host.c_str(), ParseOptions()), loaded);
  }

  HRESULT loadXML(BSTR xml, VARIANT_BOOL* loaded) override {
    if (loaded) *loaded = VARIANT_FALSE;
    const std::string text = FromBstr(xml);
    DetachTree();
    return Finish(data_->tree.load_buffer(text.data(), text.size(), ParseOptions(), pugi::encoding_utf8), loaded);
  }

  HRESULT save(VARIANT destination) override {
    if (destination.vt != VT_BSTR) return E_INVALIDARG;
    const std::u16string_view ce_path(destination.bstrVal ? destination.bstrVal : u"",
                                      SysStringLen(destination.bstrVal));
    const std::filesystem::path host = ce::files::HostPath(ce_path);
    std::error_code ec;
    if (host.empty() || std::filesystem::is_directory(host, ec)) return E_FAIL;
    // Written whole to a file beside the target, then put in its place: a failed save leaves
    // the old file as it was.
    std::filesystem::path temp = host;
    temp += ".saving";
    unsigned flags = pugi::format_raw;
    bool has_declaration = false;
    for (pugi::xml_node c : data_->tree.children())
      if (c.type() == pugi::node_declaration) has_declaration = true;
    if (!has_declaration) flags |= pugi::format_no_declaration;
    {
      std::ofstream out(temp, std::ios::binary | std::ios::trunc);
      if (!out) return E_FAIL;
      data_->tree.save(out, "", flags, pugi::encoding_utf8);
      out.flush();
      if (!out) {
        out.close();
        std::filesystem::remove(temp, ec);
        return E_FAIL;
      }
    }
    std::filesystem::rename(temp, host, ec);
    if (ec) {
      std::filesystem::remove(temp, ec);
      return E_FAIL;
    }
    return S_OK;
  }

  HRESULT get_documentElement(IXMLDOMElement** element) override {
    if (!element) return E_POINTER;
    *element = nullptr;
    pugi::xml_node root = data_->tree.document_element();
    if (!root) return S_FALSE;
    *element = new NodeImpl(data_, root);
    return S_OK;
  }

  HRESULT createElement(BSTR tag, IXMLDOMElement** element) override {
    if (!element) return E_POINTER;
    *element = nullptr;
    const std::string name = FromBstr(tag);
    if (name.empty()) return E_FAIL;
    pugi::xml_node node = data_->orphans.append_child(name.c_str());
    if (!node) return E_OUTOFMEMORY;
    *element = new NodeImpl(data_, node);
    return S_OK;
  }

  HRESULT createTextNode(BSTR text, IXMLDOMNode** node) override {
    if (!node) return E_POINTER;
    *node = nullptr;
    pugi::xml_node n = data_->orphans.append_child(pugi::node_pcdata);
    if (!n || !n.set_value(FromBstr(text).c_str())) return E_OUTOFMEMORY;
    *node = new NodeImpl(data_, n);
    return S_OK;
  }

 private:
  static HRESULT Set(bool* field, VARIANT_BOOL v) {
    *field = v != VARIANT_FALSE;
    return S_OK;
  }
  static HRESULT Get(bool field, VARIANT_BOOL* v) {
    if (!v) return E_POINTER;
    *v = field ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
  }
  // Before new content: nodes of the old tree that callers still hold move to the loose nodes,
  // so they stay usable (and leave every query of the new tree).
  void DetachTree() {
    bool held = false;
    {
      std::lock_guard lock(data_->wrappers_mutex);
      for (NodeImpl* w : data_->wrappers)
        if (w->Handle().root() == data_->tree) held = true;
    }
    if (held)
      while (data_->tree.first_child()) data_->MoveNode(data_->tree.first_child(), data_->orphans);
    data_->tree.reset();
  }
  unsigned ParseOptions() const {
    unsigned options = pugi::parse_default | pugi::parse_declaration | pugi::parse_comments | pugi::parse_pi;
    if (data_->preserve_white_space) options |= pugi::parse_ws_pcdata;
    return options;
  }
  HRESULT Fail(VARIANT_BOOL* loaded) {
    data_->tree.reset();
    if (loaded) *loaded = VARIANT_FALSE;
    return S_FALSE;
  }
  HRESULT Finish(const pugi::xml_parse_result& result, VARIANT_BOOL* loaded) {
    if (!result || !data_->tree.document_element()) return Fail(loaded);
    if (loaded) *loaded = VARIANT_TRUE;
    return S_OK;
  }
};

}  // namespace

IXMLDOMDocument* NewDocumentObject(std::shared_ptr<DocData> data) { return new DocumentImpl(std::move(data)); }

IUnknown* NewDocument() { return NewDocumentObject(std::make_shared<DocData>()); }

HRESULT TakeForcedCreateFailure() { return forced_create_failure.exchange(S_OK); }

bool Unwrap(IXMLDOMNode* node, std::shared_ptr<DocData>* data, pugi::xml_node* handle) {
  if (auto* n = dynamic_cast<NodeBase<IXMLDOMElement>*>(node)) {
    *data = n->Data();
    *handle = n->Handle();
    return true;
  }
  if (auto* d = dynamic_cast<NodeBase<IXMLDOMDocument>*>(node)) {
    *data = d->Data();
    *handle = d->Handle();
    return true;
  }
  return false;
}

}  // namespace detail

void FailNextDocumentCreation(HRESULT hr) { detail::forced_create_failure = hr; }

}  // namespace ce::xml
