// Nodes, elements and node lists of the XML document service.
#include <cstdio>
#include <map>

#include "platform/text/utf.h"
#include "platform/xml/dom_internal.h"

const IID IID_IXMLDOMNode = {0x2933BF80, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
const IID IID_IXMLDOMNodeList = {0x2933BF82, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
const IID IID_IXMLDOMElement = {0x2933BF86, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};

namespace ce::xml::detail {

std::string FromBstr(BSTR text) {
  return ce::text::ToUtf8(std::u16string_view(text ? text : u"", SysStringLen(text)));
}

HRESULT ToBstr(const std::string& utf8, BSTR* out) {
  if (!out) return E_POINTER;
  const std::u16string wide = ce::text::FromUtf8(utf8);
  *out = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
  return *out ? S_OK : E_OUTOFMEMORY;
}

std::string GatherText(pugi::xml_node node) {
  auto is_text = [](pugi::xml_node n) { return n.type() == pugi::node_pcdata || n.type() == pugi::node_cdata; };
  if (is_text(node)) return node.value();
  // Depth first without recursion: a document may nest deeper than the stack reaches.
  std::string text;
  for (pugi::xml_node n = node.first_child(); n;) {
    if (is_text(n)) {
      text += n.value();
    } else if (n.type() == pugi::node_element && n.first_child()) {
      n = n.first_child();
      continue;
    }
    while (n != node && !n.next_sibling()) n = n.parent();
    if (n == node) break;
    n = n.next_sibling();
  }
  return text;
}

namespace {

std::string Trim(const std::string& s) {
  const auto first = s.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return "";
  return s.substr(first, s.find_last_not_of(" \t\r\n") - first + 1);
}

// Pairs each node of `from` with the node at the same place in its copy `to`, walking both trees
// side by side without recursion.
void PairUp(pugi::xml_node from, pugi::xml_node to, std::map<pugi::xml_node, pugi::xml_node>* map) {
  pugi::xml_node a = from, b = to;
  for (;;) {
    (*map)[a] = b;
    if (a.first_child() && b.first_child()) {
      a = a.first_child();
      b = b.first_child();
      continue;
    }
    while (a != from && !(a.next_sibling() && b.next_sibling())) {
      a = a.parent();
      b = b.parent();
    }
    if (a == from) return;
    a = a.next_sibling();
    b = b.next_sibling();
  }
}

// Removes the node with its subtree from its parent, leaves first: the library's own removal
// descends once per level, and a deeply nested document would exhaust the stack.
void RemoveTree(pugi::xml_node node) {
  for (pugi::xml_node n = node;;) {
    while (n.last_child()) n = n.last_child();
    if (n == node) break;
    pugi::xml_node up = n.parent();
    up.remove_child(n);
    n = up;
  }
  node.parent().remove_child(node);
}

bool IsAncestorOrSelf(pugi::xml_node ancestor, pugi::xml_node node) {
  for (; node; node = node.parent())
    if (node == ancestor) return true;
  return false;
}

}  // namespace

pugi::xml_node DocData::MoveNode(pugi::xml_node node, pugi::xml_node parent) {
  if (node.root() == parent.root()) return parent.append_move(node);
  // Between the tree and the holder of loose nodes: copy, point the wrappers at the copy, drop
  // the original.
  pugi::xml_node copy = parent.append_copy(node);
  if (!copy) return copy;
  std::map<pugi::xml_node, pugi::xml_node> moved;
  PairUp(node, copy, &moved);
  {
    std::lock_guard lock(wrappers_mutex);
    for (NodeImpl* w : wrappers) {
      auto it = moved.find(w->Handle());
      if (it != moved.end()) w->Retarget(it->second);
    }
  }
  RemoveTree(node);
  return copy;
}

template <class I>
HRESULT NodeBase<I>::Answer(pugi::xml_node node, IXMLDOMNode** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!node || node == data_->orphans) return S_FALSE;  // the holder of loose nodes is no parent
  *out = Wrap(data_, node);
  return S_OK;
}

template <class I>
HRESULT NodeBase<I>::get_nodeName(BSTR* name) {
  pugi::xml_node n = Handle();
  switch (n.type()) {
    case pugi::node_document: return ToBstr("#document", name);
    case pugi::node_pcdata: return ToBstr("#text", name);
    case pugi::node_cdata: return ToBstr("#cdata-section", name);
    case pugi::node_comment: return ToBstr("#comment", name);
    default: return ToBstr(n.name(), name);
  }
}

template <class I>
HRESULT NodeBase<I>::get_nodeType(DOMNodeType* type) {
  if (!type) return E_POINTER;
  switch (Handle().type()) {
    case pugi::node_document: *type = NODE_DOCUMENT; break;
    case pugi::node_element: *type = NODE_ELEMENT; break;
    case pugi::node_pcdata: *type = NODE_TEXT; break;
    case pugi::node_cdata: *type = NODE_CDATA_SECTION; break;
    case pugi::node_comment: *type = NODE_COMMENT; break;
    case pugi::node_pi:
    case pugi::node_declaration: *type = NODE_PROCESSING_INSTRUCTION; break;
    default: *type = NODE_INVALID; break;
  }
  return S_OK;
}

template <class I>
HRESULT NodeBase<I>::get_nodeValue(VARIANT* value) {
  if (!value) return E_POINTER;
  VariantInit(value);
  pugi::xml_node n = Handle();
  if (n.type() == pugi::node_element || n.type() == pugi::node_document) {
    value->vt = VT_NULL;
    return S_FALSE;
  }
  value->vt = VT_BSTR;
  return ToBstr(n.value(), &value->bstrVal);
}

template <class I>
HRESULT NodeBase<I>::get_text(BSTR* text) {
  const std::string all = GatherText(Handle());
  return ToBstr(data_->preserve_white_space ? all : Trim(all), text);
}

template <class I>
HRESULT NodeBase<I>::put_text(BSTR text) {
  pugi::xml_node n = Handle();
  const std::string value = FromBstr(text);
  if (n.type() == pugi::node_pcdata || n.type() == pugi::node_cdata || n.type() == pugi::node_comment)
    return n.set_value(value.c_str()) ? S_OK : E_OUTOFMEMORY;
  if (n.type() != pugi::node_element) return E_FAIL;
  while (n.first_child()) RemoveTree(n.first_child());
  if (value.empty()) return S_OK;
  return n.append_child(pugi::node_pcdata).set_value(value.c_str()) ? S_OK : E_OUTOFMEMORY;
}

template <class I>
HRESULT NodeBase<I>::get_parentNode(IXMLDOMNode** parent) { return Answer(Handle().parent(), parent); }
template <class I>
HRESULT NodeBase<I>::get_firstChild(IXMLDOMNode** child) { return Answer(Handle().first_child(), child); }
template <class I>
HRESULT NodeBase<I>::get_lastChild(IXMLDOMNode** child) { return Answer(Handle().last_child(), child); }
template <class I>
HRESULT NodeBase<I>::get_nextSibling(IXMLDOMNode** sibling) { return Answer(Handle().next_sibling(), sibling); }
template <class I>
HRESULT NodeBase<I>::get_previousSibling(IXMLDOMNode** sibling) {
  return Answer(Handle().previous_sibling(), sibling);
}

template <class I>
HRESULT NodeBase<I>::get_childNodes(IXMLDOMNodeList** children) {
  if (!children) return E_POINTER;
  std::vector<pugi::xml_node> nodes;
  for (pugi::xml_node c : Handle().children()) nodes.push_back(c);
  *children = NewNodeList(data_, std::move(nodes));
  return S_OK;
}

template <class I>
HRESULT NodeBase<I>::appendChild(IXMLDOMNode* child, IXMLDOMNode** out) {
  if (out) *out = nullptr;
  std::shared_ptr<DocData> child_data;
  pugi::xml_node node;
  if (!child || !Unwrap(child, &child_data, &node)) return E_INVALIDARG;
  if (child_data != data_) return E_INVALIDARG;  // nodes stay in the document that made them
  pugi::xml_node parent = Handle();
  if (node.type() == pugi::node_document || IsAncestorOrSelf(node, parent)) return E_FAIL;
  if (parent.type() == pugi::node_document) {
    if (node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata) return E_FAIL;
    if (node.type() == pugi::node_element && data_->tree.document_element() &&
        data_->tree.document_element() != node)
      return E_FAIL;  // one document element only
  } else if (parent.type() != pugi::node_element) {
    return E_FAIL;
  }
  if (!data_->MoveNode(node, parent)) return E_OUTOFMEMORY;
  if (out) {
    child->AddRef();
    *out = child;
  }
  return S_OK;
}

template <class I>
HRESULT NodeBase<I>::removeChild(IXMLDOMNode* child, IXMLDOMNode** out) {
  if (out) *out = nullptr;
  std::shared_ptr<DocData> child_data;
  pugi::xml_node node;
  if (!child || !Unwrap(child, &child_data, &node) || child_data != data_ || node.parent() != Handle())
    return E_INVALIDARG;
  if (!data_->MoveNode(node, data_->orphans)) return E_OUTOFMEMORY;
  if (out) {
    child->AddRef();
    *out = child;
  }
  return S_OK;
}

namespace {

bool Select(pugi::xml_node context, BSTR query, std::vector<pugi::xml_node>* found) {
  try {
    pugi::xpath_query q(FromBstr(query).c_str());
    for (const pugi::xpath_node& n : q.evaluate_node_set(context))
      if (n.node() && !n.attribute()) found->push_back(n.node());
    return true;
  } catch (const pugi::xpath_exception&) {
    return false;
  }
}

}  // namespace

template <class I>
HRESULT NodeBase<I>::selectSingleNode(BSTR query, IXMLDOMNode** node) {
  if (!node) return E_POINTER;
  *node = nullptr;
  std::vector<pugi::xml_node> found;
  if (!Select(Handle(), query, &found)) return E_FAIL;
  if (found.empty()) return S_FALSE;
  return Answer(found.front(), node);
}

template <class I>
HRESULT NodeBase<I>::selectNodes(BSTR query, IXMLDOMNodeList** nodes) {
  if (!nodes) return E_POINTER;
  *nodes = nullptr;
  std::vector<pugi::xml_node> found;
  if (!Select(Handle(), query, &found)) return E_FAIL;
  *nodes = NewNodeList(data_, std::move(found));
  return S_OK;
}

template <class I>
HRESULT NodeBase<I>::get_ownerDocument(IXMLDOMDocument** document) {
  if (!document) return E_POINTER;
  *document = NewDocumentObject(data_);
  return S_OK;
}

template class NodeBase<IXMLDOMElement>;
template class NodeBase<IXMLDOMDocument>;

NodeImpl::NodeImpl(std::shared_ptr<DocData> data, pugi::xml_node node)
    : NodeBase<IXMLDOMElement>(std::move(data)), node_(node) {
  std::lock_guard lock(data_->wrappers_mutex);
  data_->wrappers.insert(this);
}

NodeImpl::~NodeImpl() {
  std::lock_guard lock(data_->wrappers_mutex);
  data_->wrappers.erase(this);
}

pugi::xml_node NodeImpl::Handle() const { return node_; }
void NodeImpl::Retarget(pugi::xml_node node) { node_ = node; }

HRESULT NodeImpl::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  const bool element = node_.type() == pugi::node_element;
  if (iid == IID_IUnknown || iid == IID_IXMLDOMNode || (iid == IID_IXMLDOMElement && element)) {
    AddRef();
    *object = static_cast<IXMLDOMElement*>(this);
    return S_OK;
  }
  return E_NOINTERFACE;
}

HRESULT NodeImpl::get_tagName(BSTR* name) { return ToBstr(node_.name(), name); }

HRESULT NodeImpl::getAttribute(BSTR name, VARIANT* value) {
  if (!value) return E_POINTER;
  VariantInit(value);
  value->vt = VT_NULL;
  pugi::xml_attribute a = node_.attribute(FromBstr(name).c_str());
  if (!a) return S_FALSE;
  value->vt = VT_BSTR;
  const HRESULT hr = ToBstr(a.value(), &value->bstrVal);
  if (FAILED(hr)) value->vt = VT_NULL;
  return hr;
}

HRESULT NodeImpl::setAttribute(BSTR name, VARIANT value) {
  const std::string key = FromBstr(name);
  if (key.empty()) return E_INVALIDARG;
  std::string text;
  char buf[32];
  switch (value.vt) {
    case VT_BSTR: text = FromBstr(value.bstrVal); break;
    case VT_I1: std::snprintf(buf, sizeof buf, "%d", value.cVal), text = buf; break;
    case VT_I2: std::snprintf(buf, sizeof buf, "%d", value.iVal), text = buf; break;
    case VT_I4: std::snprintf(buf, sizeof buf, "%d", static_cast<int>(value.lVal)), text = buf; break;
    case VT_INT: std::snprintf(buf, sizeof buf, "%d", value.intVal), text = buf; break;
    case VT_UI1: std::snprintf(buf, sizeof buf, "%u", value.bVal), text = buf; break;
    case VT_UI2: std::snprintf(buf, sizeof buf, "%u", value.uiVal), text = buf; break;
    case VT_UI4: std::snprintf(buf, sizeof buf, "%u", static_cast<unsigned>(value.ulVal)), text = buf; break;
    case VT_UINT: std::snprintf(buf, sizeof buf, "%u", value.uintVal), text = buf; break;
    default: return DISP_E_TYPEMISMATCH;
  }
  pugi::xml_attribute a = node_.attribute(key.c_str());
  if (!a) a = node_.append_attribute(key.c_str());
  return a && a.set_value(text.c_str()) ? S_OK : E_OUTOFMEMORY;
}

HRESULT NodeImpl::removeAttribute(BSTR name) {
  node_.remove_attribute(FromBstr(name).c_str());
  return S_OK;
}

namespace {

class NodeList final : public RefCounted<IXMLDOMNodeList> {
 public:
  NodeList(std::shared_ptr<DocData> data, std::vector<pugi::xml_node> nodes)
      : data_(std::move(data)), nodes_(std::move(nodes)) {}

  HRESULT QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!(iid == IID_IUnknown || iid == IID_IXMLDOMNodeList)) return E_NOINTERFACE;
    AddRef();
    *object = static_cast<IXMLDOMNodeList*>(this);
    return S_OK;
  }
  HRESULT get_length(LONG* length) override {
    if (!length) return E_POINTER;
    *length = static_cast<LONG>(nodes_.size());
    return S_OK;
  }
  HRESULT get_item(LONG index, IXMLDOMNode** node) override {
    if (!node) return E_POINTER;
    *node = nullptr;
    if (index < 0 || static_cast<size_t>(index) >= nodes_.size()) return S_FALSE;
    *node = Wrap(data_, nodes_[index]);
    return S_OK;
  }
  HRESULT nextNode(IXMLDOMNode** node) override {
    const HRESULT hr = get_item(static_cast<LONG>(next_), node);
    if (hr == S_OK) ++next_;
    return hr;
  }
  HRESULT reset() override {
    next_ = 0;
    return S_OK;
  }

 private:
  std::shared_ptr<DocData> data_;
  std::vector<pugi::xml_node> nodes_;
  size_t next_ = 0;
};

}  // namespace

IXMLDOMNodeList* NewNodeList(std::shared_ptr<DocData> data, std::vector<pugi::xml_node> nodes) {
  return new NodeList(std::move(data), std::move(nodes));
}

IXMLDOMNode* Wrap(const std::shared_ptr<DocData>& data, pugi::xml_node node) {
  if (node.type() == pugi::node_document) return NewDocumentObject(data);
  return new NodeImpl(data, node);
}

}  // namespace ce::xml::detail
