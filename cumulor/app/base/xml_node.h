// The document model: XmlNode {name, attributes, children} and XmlAttribute {name, value}.
//
// Every name, value and text is a terminated DynString of 8-bit (ISO-8859-1) characters. Element
// text is the attribute "Text": adding a text appends such an attribute, and an element's text is
// its first one. Attribute names are not unique (lookups return the first match). Names compare
// exactly, byte for byte. A document is held under a root named "Top", which is never written; the
// document element is the root's first child. A node owns its attributes and children.
#pragma once

#include <cstdint>

#include "cumulor/app/base/dyn_array.h"
#include "cumulor/app/base/dyn_string.h"
#include "cumulor/app/base/geo_point.h"

namespace cumulor {

inline constexpr const char* kXmlTextName = "Text";
inline constexpr const char* kXmlTopName = "Top";

struct XmlAttribute {
  DynString name;
  DynString value;
  bool inArena = false;  // made in a document's arena (see XmlNode::ParseArena)
};

class XmlNode;

// Walks the child slots of a node: {current slot, last slot}.
struct XmlChildIterator {
  XmlNode** current = nullptr;
  XmlNode** last = nullptr;
  bool AtEnd() const { return current == nullptr || current > last; }
  XmlNode* Get() const { return *current; }
  void Advance() { ++current; }
};

class XmlNode {
 public:
  explicit XmlNode(const char* name);
  explicit XmlNode(const DynString& name);
  ~XmlNode();
  XmlNode(const XmlNode&) = delete;
  XmlNode& operator=(const XmlNode&) = delete;

  // The document root "Top".
  static XmlNode ConstructTop() { return XmlNode(kXmlTopName); }

  // Frees every attribute and, recursively, every child; the node keeps an empty name.
  void Destroy();
  // Becomes a deep copy of source (name, attributes in order, children copied recursively).
  void CopyFrom(const XmlNode& source);

  const DynString& Name() const { return name_; }
  std::int32_t AttributeCount() const { return attributes_.Size(); }
  const XmlAttribute& Attribute(std::int32_t i) const { return *attributes_[i]; }
  std::int32_t ChildCount() const { return children_.Size(); }
  XmlNode* Child(std::int32_t i) const { return children_[i]; }

  // Adding; each returns what it created (null when memory ran out).
  XmlAttribute* AddAttribute(const char* name, const char* value);
  XmlAttribute* AddAttribute(const DynString& name, const DynString& value);
  XmlAttribute* SetText(const char* text);
  XmlNode* AddChild(const char* name);
  XmlNode* AddChildElement(const char* name) { return AddChild(name); }
  // Takes ownership of node (freed here when it cannot be appended; then null).
  XmlNode* AppendChild(XmlNode* node);
  XmlNode* AddChildString(const char* name, const char* text);
  XmlNode* AddChildInt(const char* name, std::int32_t value);
  // The value with 10 significant digits.
  XmlNode* AddChildDouble(const char* name, double value);
  // Appends "lat" then "lon", in degrees (units / 36000), east and north positive.
  void AddChildLatLon(const GeoPoint& position);

  // Looking up; none of them changes the tree.
  const XmlAttribute* FindAttribute(const char* name) const;
  const char* GetAttribute(const char* name) const;
  const char* GetText() const;
  XmlNode* FindChild(const char* name) const;
  // Depth-first pre-order: the node itself, then each child's subtree in order.
  const XmlNode* FindNamed(const char* name) const;
  const char* GetChildText(const char* name) const;
  // False when the element or its text is missing (out unchanged); a text that is not a number
  // gives 0 and true.
  bool GetChildInt(const char* name, std::int32_t& out) const;
  bool GetChildDouble(const char* name, double& out) const;
  bool GetInt(std::int32_t& out) const;
  bool GetDouble(double& out) const;
  // With exactly two attributes: the first one's value as an integer, and true.
  bool GetKeyInt(std::int32_t& out) const;
  // "lat" and "lon" in degrees; both present: stored rounded to the nearest unit, true.
  bool GetChildLatLon(GeoPoint& out) const;
  // Integer "Lat" and "Lon" in 1/360000 degree, each divided by 10 (truncated). "Lat" is stored
  // first: when only "Lon" is missing the result is false with lat already stored.
  bool GetChildLatLonTenths(GeoPoint& out) const;

  // Child slots: the first and last (null when there are no children), and an iterator.
  XmlNode** Children() const;
  XmlNode** LastChild() const;
  XmlChildIterator ChildIterator() const { return XmlChildIterator{Children(), LastChild()}; }

  // Prvalue construction only (ConstructTop); the tree itself is never copied implicitly.
  XmlNode(XmlNode&& other) noexcept;

  // The arena the reader builds this node's new subtree in (made on first use; owned by this node
  // and freed with it). While it is current, new nodes, attributes and their arrays come from it.
  // A tree built so is freed without visiting its nodes unless something from outside the arena
  // was added to it later.
  DynArena* ParseArena();

  // A new node, from the arena current on the thread when there is one; null without memory.
  static XmlNode* New(const DynString& name);
  static XmlNode* New(const char* name);

 private:
  friend class XmlDomBuilder;  // sizes the arrays of the nodes it builds exactly (xml_reader.h)

  XmlNode() = default;
  static void Delete(XmlNode* node);
  static XmlAttribute* NewAttribute(const DynString& name, const DynString& value);
  static void DeleteAttribute(XmlAttribute* attribute);
  // A change from outside the node's arena: the arena's tree must be visited when freed.
  void Touch() {
    if (arena_ && arena_ != CurrentDynArena()) arena_->pristine = false;
  }

  DynString name_;
  DynArray<XmlAttribute*> attributes_;
  DynArray<XmlNode*> children_;
  DynArena* arena_ = nullptr;  // the arena this node's memory lies in (null: the heap)
  DynArena* owned_ = nullptr;  // the arena this node owns (the reader's target)
};

}  // namespace cumulor
