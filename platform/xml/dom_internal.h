// Inside the XML document service: the shared document data and the node wrappers over pugixml.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include <pugixml.hpp>

#include "platform/xml/msxml.h"

namespace ce::xml::detail {

class NodeImpl;

// One document: its tree, and a second tree that holds the nodes created for it but not (or no
// longer) in it. Every wrapper keeps the data alive.
struct DocData {
  pugi::xml_document tree;
  pugi::xml_document orphans;
  bool preserve_white_space = false;
  bool validate_on_parse = true;
  bool resolve_externals = true;

  std::mutex wrappers_mutex;
  std::set<NodeImpl*> wrappers;  // live element/text wrappers, retargeted when a subtree is copied

  // Moves `node` under `parent` (which may be in the other tree) as its last child; answers the
  // node's new handle.
  pugi::xml_node MoveNode(pugi::xml_node node, pugi::xml_node parent);
};

// Text of the node and its descendants.
std::string GatherText(pugi::xml_node node);

// UTF-16 <-> the UTF-8 of pugixml.
std::string FromBstr(BSTR text);
HRESULT ToBstr(const std::string& utf8, BSTR* out);

// A new wrapper with one reference: the document node gives a document object.
IXMLDOMNode* Wrap(const std::shared_ptr<DocData>& data, pugi::xml_node node);
// The data and node behind one of our interfaces, or false for a foreign object.
bool Unwrap(IXMLDOMNode* node, std::shared_ptr<DocData>* data, pugi::xml_node* handle);

// Reference counting shared by every object.
template <class Interface>
class RefCounted : public Interface {
 public:
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

 protected:
  virtual ~RefCounted() = default;

 private:
  std::atomic<ULONG> refs_{1};
};

// The node calls, written once for elements and documents.
template <class Interface>
class NodeBase : public RefCounted<Interface> {
 public:
  explicit NodeBase(std::shared_ptr<DocData> data) : data_(std::move(data)) {}
  virtual pugi::xml_node Handle() const = 0;
  const std::shared_ptr<DocData>& Data() const { return data_; }

  HRESULT get_nodeName(BSTR* name) override;
  HRESULT get_nodeType(DOMNodeType* type) override;
  HRESULT get_nodeValue(VARIANT* value) override;
  HRESULT get_text(BSTR* text) override;
  HRESULT put_text(BSTR text) override;
  HRESULT get_parentNode(IXMLDOMNode** parent) override;
  HRESULT get_firstChild(IXMLDOMNode** child) override;
  HRESULT get_lastChild(IXMLDOMNode** child) override;
  HRESULT get_nextSibling(IXMLDOMNode** sibling) override;
  HRESULT get_previousSibling(IXMLDOMNode** sibling) override;
  HRESULT get_childNodes(IXMLDOMNodeList** children) override;
  HRESULT appendChild(IXMLDOMNode* child, IXMLDOMNode** out) override;
  HRESULT removeChild(IXMLDOMNode* child, IXMLDOMNode** out) override;
  HRESULT selectSingleNode(BSTR query, IXMLDOMNode** node) override;
  HRESULT selectNodes(BSTR query, IXMLDOMNodeList** nodes) override;
  HRESULT get_ownerDocument(IXMLDOMDocument** document) override;

 protected:
  HRESULT Answer(pugi::xml_node node, IXMLDOMNode** out);

  std::shared_ptr<DocData> data_;
};

// Every node other than the document node.
class NodeImpl final : public NodeBase<IXMLDOMElement> {
 public:
  NodeImpl(std::shared_ptr<DocData> data, pugi::xml_node node);
  pugi::xml_node Handle() const override;
  void Retarget(pugi::xml_node node);  // wrappers_mutex held

  HRESULT QueryInterface(REFIID iid, void** object) override;
  HRESULT get_tagName(BSTR* name) override;
  HRESULT getAttribute(BSTR name, VARIANT* value) override;
  HRESULT setAttribute(BSTR name, VARIANT value) override;
  HRESULT removeAttribute(BSTR name) override;

 private:
  ~NodeImpl() override;
  pugi::xml_node node_;
};

IXMLDOMDocument* NewDocumentObject(std::shared_ptr<DocData> data);
IUnknown* NewDocument();
IXMLDOMNodeList* NewNodeList(std::shared_ptr<DocData> data, std::vector<pugi::xml_node> nodes);
HRESULT TakeForcedCreateFailure();

}  // namespace ce::xml::detail
