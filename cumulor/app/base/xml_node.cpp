#include "cumulor/app/base/xml_node.h"

#include <cmath>
#include <cstring>
#include <new>

#include "cumulor/app/base/number_text.h"

namespace cumulor {

namespace {

// Exact comparison of a stored name with a C string: equal sizes and bytes.
bool NameIs(const DynString& stored, const char* name) {
  std::size_t n = std::strlen(name) + 1;
  return static_cast<std::size_t>(stored.Size()) == n && std::memcmp(stored.Data(), name, n) == 0;
}

// In an arena a string is copied to a block of exactly its size: arena blocks never grow in
// place, so room to spare would only be lost.
void CopyExact(DynArena& arena, DynString& into, const DynString& from) {
  const std::int32_t n = from.Size();
  if (n == 0) return;
  if (void* block = arena.Allocate(static_cast<std::size_t>(n), 1)) {
    std::memcpy(block, from.Data(), static_cast<std::size_t>(n));
    into.AdoptArenaBlock(static_cast<char*>(block), n);
  } else {
    into = from;  // on the heap; the tree must then be visited when freed
    arena.pristine = false;
  }
}

}  // namespace

XmlNode::XmlNode(const char* name) { name_.AssignNarrow(name); }

XmlNode::XmlNode(const DynString& name) : name_(name) {}

XmlNode::XmlNode(XmlNode&& other) noexcept
    : name_(std::move(other.name_)),
      attributes_(std::move(other.attributes_)),
      children_(std::move(other.children_)),
      arena_(other.arena_),
      owned_(other.owned_) {
  other.owned_ = nullptr;
}

XmlNode::~XmlNode() { Destroy(); }

XmlNode* XmlNode::New(const DynString& name) {
  if (DynArena* arena = CurrentDynArena()) {
    if (void* p = arena->Allocate(sizeof(XmlNode), alignof(XmlNode))) {
      auto* node = new (p) XmlNode();
      CopyExact(*arena, node->name_, name);
      node->arena_ = arena;
      return node;
    }
    arena->pristine = false;  // a heap node in the arena's tree: the tree must be visited
  }
  return new (std::nothrow) XmlNode(name);
}

XmlNode* XmlNode::New(const char* name) {
  if (CurrentDynArena()) return New(DynString(name));
  return new (std::nothrow) XmlNode(name);
}

void XmlNode::Delete(XmlNode* node) {
  if (node->arena_) node->~XmlNode();  // the memory goes with its arena
  else delete node;
}

XmlAttribute* XmlNode::NewAttribute(const DynString& name, const DynString& value) {
  if (DynArena* arena = CurrentDynArena()) {
    if (void* p = arena->Allocate(sizeof(XmlAttribute), alignof(XmlAttribute))) {
      auto* attribute = new (p) XmlAttribute{};
      CopyExact(*arena, attribute->name, name);
      CopyExact(*arena, attribute->value, value);
      attribute->inArena = true;
      return attribute;
    }
    arena->pristine = false;
  }
  return new (std::nothrow) XmlAttribute{name, value};
}

void XmlNode::DeleteAttribute(XmlAttribute* attribute) {
  if (attribute->inArena) attribute->~XmlAttribute();
  else delete attribute;
}

DynArena* XmlNode::ParseArena() {
  if (!owned_) {
    owned_ = new (std::nothrow) DynArena;
    // An arena owned inside another arena's tree: that tree must be visited to free it.
    if (arena_) arena_->pristine = false;
  }
  return owned_;
}

void XmlNode::Destroy() {
  // A tree built in this node's arena and left as it was needs no visit: its memory goes with the
  // arena. Other children (made before the parse, or on the heap) are freed one by one.
  const bool skipArena = owned_ && owned_->pristine;
  for (XmlAttribute* a : attributes_)
    if (!(skipArena && a->inArena)) DeleteAttribute(a);
  attributes_.FreeData();
  for (XmlNode* c : children_)
    if (!(skipArena && c->arena_ == owned_)) Delete(c);
  children_.FreeData();
  name_.FreeData();
  delete owned_;
  owned_ = nullptr;
}

void XmlNode::CopyFrom(const XmlNode& source) {
  if (&source == this) return;
  Touch();
  // Built apart first (on the heap): source may be a part of this node's own subtree.
  DynArenaScope heap(nullptr);
  XmlNode copy(source.name_);
  for (const XmlAttribute* a : source.attributes_) copy.AddAttribute(a->name, a->value);
  for (const XmlNode* c : source.children_) {
    if (XmlNode* child = copy.AppendChild(new (std::nothrow) XmlNode(""))) child->CopyFrom(*c);
  }
  Destroy();
  name_ = std::move(copy.name_);
  attributes_ = std::move(copy.attributes_);
  children_ = std::move(copy.children_);
}

XmlAttribute* XmlNode::AddAttribute(const DynString& name, const DynString& value) {
  Touch();
  XmlAttribute* a = NewAttribute(name, value);
  if (!a) return nullptr;
  if (attributes_.Append(a) != S_OK) {
    DeleteAttribute(a);
    return nullptr;
  }
  return a;
}

XmlAttribute* XmlNode::AddAttribute(const char* name, const char* value) {
  return AddAttribute(DynString(name), DynString(value));
}

XmlAttribute* XmlNode::SetText(const char* text) { return AddAttribute(kXmlTextName, text); }

XmlNode* XmlNode::AddChild(const char* name) { return AppendChild(New(name)); }

XmlNode* XmlNode::AppendChild(XmlNode* node) {
  if (!node) return nullptr;
  Touch();
  // A node from elsewhere under a tree of an arena: that tree must be visited when freed.
  if (node->arena_ != arena_ && arena_) arena_->pristine = false;
  if (children_.Append(node) != S_OK) {
    Delete(node);
    return nullptr;
  }
  return node;
}

XmlNode* XmlNode::AddChildString(const char* name, const char* text) {
  XmlNode* child = AddChild(name);
  if (child) child->SetText(text);
  return child;
}

XmlNode* XmlNode::AddChildInt(const char* name, std::int32_t value) {
  return AddChildString(name, IntToString(value).CStr());
}

XmlNode* XmlNode::AddChildDouble(const char* name, double value) {
  return AddChildString(name, DoubleToString(value).CStr());
}

void XmlNode::AddChildLatLon(const GeoPoint& position) {
  AddChildDouble("lat", position.lat / static_cast<double>(kGeoUnitsPerDegree));
  AddChildDouble("lon", position.lon / static_cast<double>(kGeoUnitsPerDegree));
}

const XmlAttribute* XmlNode::FindAttribute(const char* name) const {
  for (const XmlAttribute* a : attributes_)
    if (NameIs(a->name, name)) return a;
  return nullptr;
}

const char* XmlNode::GetAttribute(const char* name) const {
  const XmlAttribute* a = FindAttribute(name);
  return a ? a->value.CStr() : nullptr;
}

const char* XmlNode::GetText() const { return GetAttribute(kXmlTextName); }

XmlNode* XmlNode::FindChild(const char* name) const {
  for (XmlNode* c : children_)
    if (NameIs(c->name_, name)) return c;
  return nullptr;
}

const XmlNode* XmlNode::FindNamed(const char* name) const {
  if (NameIs(name_, name)) return this;
  for (const XmlNode* c : children_)
    if (const XmlNode* found = c->FindNamed(name)) return found;
  return nullptr;
}

const char* XmlNode::GetChildText(const char* name) const {
  const XmlNode* node = FindNamed(name);
  return node ? node->GetText() : nullptr;
}

bool XmlNode::GetChildInt(const char* name, std::int32_t& out) const {
  const char* text = GetChildText(name);
  if (!text) return false;
  out = TextToInt(text);
  return true;
}

bool XmlNode::GetChildDouble(const char* name, double& out) const {
  const char* text = GetChildText(name);
  if (!text) return false;
  out = TextToDouble(text);
  return true;
}

bool XmlNode::GetInt(std::int32_t& out) const {
  const char* text = GetText();
  if (!text) return false;
  out = TextToInt(text);
  return true;
}

bool XmlNode::GetDouble(double& out) const {
  const char* text = GetText();
  if (!text) return false;
  out = TextToDouble(text);
  return true;
}

bool XmlNode::GetKeyInt(std::int32_t& out) const {
  if (attributes_.Size() != 2) return false;
  out = TextToInt(attributes_[0]->value.CStr());
  return true;
}

bool XmlNode::GetChildLatLon(GeoPoint& out) const {
  double lat = 0, lon = 0;
  if (!GetChildDouble("lat", lat) || !GetChildDouble("lon", lon)) return false;
  // Rounded to the nearest unit: the 10 digits written may lie a little below the position, and a
  // truncation would move it by one unit on every save and load.
  out.lat = RoundToNearestInt(lat * kGeoUnitsPerDegree);
  out.lon = RoundToNearestInt(lon * kGeoUnitsPerDegree);
  return true;
}

bool XmlNode::GetChildLatLonTenths(GeoPoint& out) const {
  std::int32_t lat = 0, lon = 0;
  if (!GetChildInt("Lat", lat)) return false;
  out.lat = lat / 10;
  if (!GetChildInt("Lon", lon)) return false;
  out.lon = lon / 10;
  return true;
}

XmlNode** XmlNode::Children() const {
  return children_.Size() > 0 ? const_cast<XmlNode**>(children_.Data()) : nullptr;
}

XmlNode** XmlNode::LastChild() const {
  return children_.Size() > 0 ? const_cast<XmlNode**>(children_.Data()) + children_.Size() - 1 : nullptr;
}

}  // namespace cumulor
