#include "cumulor/app/base/xml_reader.h"

#include <cstring>
#include <new>

namespace cumulor {

namespace {

// Byte classes for the scanning loops: white space, the end of a name, "=", "&".
constexpr std::uint8_t kSpaceClass = 1;
constexpr std::uint8_t kNameStopClass = 2;  // white space and ">"
constexpr std::uint8_t kEqualsClass = 4;
constexpr std::uint8_t kAmpersandClass = 8;

struct ByteClasses {
  std::uint8_t of[256] = {};
  constexpr ByteClasses() {
    for (int c : {' ', '\t', '\r', '\n', '\v', '\f'}) of[c] = kSpaceClass | kNameStopClass;
    of[static_cast<int>('>')] = kNameStopClass;
    of[static_cast<int>('=')] = kEqualsClass;
    of[static_cast<int>('&')] = kAmpersandClass;
  }
};
constexpr ByteClasses kClasses;

bool IsSpace(int c) { return c >= 0 && (kClasses.of[c] & kSpaceClass) != 0; }

// Whether one of the eight bytes of w may be white space other than a blank, or "&": a byte
// below 14, or one equal to "&" (the word test of a byte below n: (w - n*ones) & ~w & highs).
bool MayBeSpaceOrAmpersand(std::uint64_t w) {
  constexpr std::uint64_t kOnes = 0x0101010101010101ull;
  constexpr std::uint64_t kHighs = 0x8080808080808080ull;
  const std::uint64_t ampersands = w ^ (kOnes * static_cast<std::uint8_t>('&'));
  return ((((w - kOnes * 14) & ~w) | ((ampersands - kOnes) & ~ampersands)) & kHighs) != 0;
}

// Decodes the four references the writer produces; other "&" sequences stay as they are. The
// text before the first "&" and between two of them moves in one piece.
void DecodeReferences(DynString& s) {
  const std::int32_t n = s.Length();
  char* p = s.Data();
  if (n == 0) return;
  char* const end = p + n;
  char* in = static_cast<char*>(std::memchr(p, '&', static_cast<std::size_t>(n)));
  if (!in) return;
  static constexpr struct {
    const char* reference;
    std::ptrdiff_t length;
    char replacement;
  } kReferences[] = {{"&amp;", 5, '&'}, {"&lt;", 4, '<'}, {"&gt;", 4, '>'}, {"&quot;", 6, '"'}};
  char* out = in;
  while (in < end) {
    // `in` is at an "&".
    bool decoded = false;
    for (const auto& r : kReferences) {
      if (end - in >= r.length && std::memcmp(in, r.reference, static_cast<std::size_t>(r.length)) == 0) {
        *out++ = r.replacement;
        in += r.length;
        decoded = true;
        break;
      }
    }
    if (!decoded) *out++ = *in++;
    char* next = static_cast<char*>(std::memchr(in, '&', static_cast<std::size_t>(end - in)));
    if (!next) next = end;
    std::memmove(out, in, static_cast<std::size_t>(next - in));
    out += next - in;
    in = next;
  }
  *out = 0;
  s.SetSize(static_cast<std::int32_t>(out - p) + 1);
}

}  // namespace

XmlTokenizer::XmlTokenizer(const SourceBuffer& source)
    : data_(source.bytes.Data()), size_(source.bytes.Size()), position_(source.position) {
  Read();
  Next();
}

XmlTokenizer::XmlTokenizer(const void* data, std::int32_t size)
    : data_(static_cast<const std::uint8_t*>(data)), size_(data ? size : 0), position_(0) {
  Read();
  Next();
}

void XmlTokenizer::Abort() {
  truncated_ = true;
  kind_ = XmlTokenKind::EndOfInput;
}

std::int32_t XmlTokenizer::RunEndAt(char stop) const {
  // current_ is the byte before position_; the run starts there.
  const auto* data = reinterpret_cast<const char*>(data_);
  const std::int32_t size = size_;
  const std::int32_t start = position_ - 1;
  const void* found = std::memchr(data + start, stop, static_cast<std::size_t>(size - start));
  return found ? static_cast<std::int32_t>(static_cast<const char*>(found) - data) : size;
}

std::int32_t XmlTokenizer::NameEnd(bool stopAtEquals) const {
  const std::uint8_t* data = data_;
  const std::int32_t size = size_;
  std::int32_t i = position_ - 1;
  const std::uint8_t stop = stopAtEquals ? (kNameStopClass | kEqualsClass) : kNameStopClass;
  while (i < size && !(kClasses.of[data[i]] & stop)) ++i;
  return i;
}

void XmlTokenizer::TakeRun(DynString& into, std::int32_t end) {
  const std::int32_t start = position_ - 1;
  into.DynArray<char>::Append(reinterpret_cast<const char*>(data_) + start, end - start);
  position_ = end;
  Read();
}

void XmlTokenizer::ReadName(DynString& into, bool stopAtEquals) {
  if (!AtEnd()) {
    TakeRun(into, NameEnd(stopAtEquals));
  }
  into.Append('\0');
  if (AtEnd()) Abort();
}

void XmlTokenizer::ReadComment() {
  // After "<!--": the body runs to the first ">" preceded by "--"; that ">" is read by the next call.
  for (;;) {
    if (AtEnd()) {
      Abort();
      return;
    }
    std::int32_t n = text_.Size();
    if (current_ == '>' && n >= 2 && text_[n - 1] == '-' && text_[n - 2] == '-') {
      text_.SetSize(n - 2);
      text_.Append('\0');
      commentPending_ = true;
      return;
    }
    text_.Append(static_cast<char>(current_));
    Read();
  }
}

void XmlTokenizer::ReadText() {
  bool references = false;
  if (!AtEnd()) {
    const std::int32_t from = text_.Size();
    TakeRun(text_, RunEndAt('<'));
    // White space of any kind reads as blanks; an "&" is noted for the decoding below. Eight
    // bytes at a time are passed over when none is below 14 (tab to carriage return) or "&".
    char* p = text_.Data();
    const std::int32_t n = text_.Size();
    std::uint8_t seen = 0;
    std::int32_t i = from;
    for (; i + 8 <= n; i += 8) {
      std::uint64_t w;
      std::memcpy(&w, p + i, 8);
      if (!MayBeSpaceOrAmpersand(w)) continue;
      for (std::int32_t k = i; k < i + 8; ++k) {
        const std::uint8_t c = kClasses.of[static_cast<std::uint8_t>(p[k])];
        seen |= c;
        if (c & kSpaceClass) p[k] = ' ';
      }
    }
    for (; i < n; ++i) {
      const std::uint8_t c = kClasses.of[static_cast<std::uint8_t>(p[i])];
      seen |= c;
      if (c & kSpaceClass) p[i] = ' ';
    }
    references = (seen & kAmpersandClass) != 0;
  }
  text_.Append('\0');
  if (AtEnd()) {
    Abort();
    return;
  }
  if (references) DecodeReferences(text_);
}

void XmlTokenizer::Next() {
  if (truncated_) {
    kind_ = XmlTokenKind::EndOfInput;
    return;
  }
  text_.SetSize(0);
  if (!value_.Empty()) value_.SetSize(0);
  if (commentPending_) {
    commentPending_ = false;
    Read();
  }
  if (IsSpace(current_)) {
    // A run of white space (indentation, line ends) is passed in one go.
    std::int32_t i = position_;
    while (i < size_ && (kClasses.of[data_[i]] & kSpaceClass)) ++i;
    position_ = i;
    Read();
  }
  if (AtEnd()) {
    kind_ = XmlTokenKind::EndOfInput;
    return;
  }

  if (inTag_) {
    if (current_ == '>') {
      kind_ = XmlTokenKind::TagClose;
      inTag_ = false;
      Read();
      return;
    }
    if (current_ == '/') {
      Read();
      if (current_ == '>') {
        kind_ = XmlTokenKind::EmptyElementClose;
        inTag_ = false;
        Read();
        return;
      }
      text_.Append('/');  // a slash not before ">" starts an attribute name
    }
    kind_ = XmlTokenKind::Attribute;
    ReadName(text_, true);
    if (truncated_) return;
    if (current_ == '=') {
      Read();
      if (current_ == '"') {
        Read();
        if (!AtEnd()) TakeRun(value_, RunEndAt('"'));
        if (AtEnd()) {
          Abort();
          return;
        }
        Read();  // the closing quote
      }
    }
    value_.Append('\0');
    DecodeReferences(value_);
    return;
  }

  if (current_ == '>') {
    kind_ = XmlTokenKind::TagClose;
    Read();
    return;
  }
  if (current_ != '<') {
    kind_ = XmlTokenKind::Text;
    ReadText();
    return;
  }

  Read();  // past "<"
  switch (current_) {
    case '/':
      kind_ = XmlTokenKind::EndTag;
      inTag_ = true;
      Read();
      ReadName(text_, false);
      return;
    case '?':
      kind_ = XmlTokenKind::ProcessingInstruction;
      Read();
      return;
    case '!':
      Read();
      if (current_ == '-') {
        Read();
        if (current_ == '-') {
          Read();
          kind_ = XmlTokenKind::Comment;
          ReadComment();
          return;
        }
        text_.Append('!');
        text_.Append('-');
      } else {
        text_.Append('!');
      }
      break;
    default:
      break;
  }
  kind_ = XmlTokenKind::StartTag;
  inTag_ = true;
  ReadName(text_, false);
}

void XmlTokenizer::SkipProcessingInstruction() {
  int previous = 0;
  while (!(previous == '?' && current_ == '>')) {
    if (AtEnd()) {
      Abort();
      return;
    }
    previous = current_;
    Read();
  }
  Read();
  Next();
}

bool XmlParser::ParseDocument() {
  if (tokenizer_.Kind() == XmlTokenKind::ProcessingInstruction) tokenizer_.SkipProcessingInstruction();
  if (!ParseElement(0)) return false;
  if (tokenizer_.Kind() == XmlTokenKind::EndOfInput && !tokenizer_.Truncated()) return true;
  handler_.Error(kXmlErrorTrailing);
  return false;
}

bool XmlParser::ParseElement(int depth) {
  if (tokenizer_.Kind() != XmlTokenKind::StartTag) return false;
  if (depth >= kMaxDepth) {
    tokenizer_.Abort();
    return false;
  }
  handler_.StartElement(tokenizer_.Text());
  tokenizer_.Next();
  while (tokenizer_.Kind() == XmlTokenKind::Attribute) {
    handler_.Attribute(tokenizer_.Text(), tokenizer_.Value());
    tokenizer_.Next();
  }
  switch (tokenizer_.Kind()) {
    case XmlTokenKind::TagClose:
      tokenizer_.Next();
      break;
    case XmlTokenKind::EmptyElementClose:
      tokenizer_.Next();
      handler_.EmptyElementEnd();
      return false;  // an empty child is fine (its parent ignores this); an empty document is not
    default:
      handler_.Error(kXmlErrorCloseExpected);
      return false;
  }

  for (;;) {
    switch (tokenizer_.Kind()) {
      case XmlTokenKind::Comment:
        handler_.Comment(tokenizer_.Text());
        tokenizer_.Next();
        continue;
      case XmlTokenKind::StartTag:
        ParseElement(depth + 1);
        continue;
      case XmlTokenKind::Text:
        handler_.CharacterData(tokenizer_.Text());
        tokenizer_.Next();
        continue;
      default:
        break;
    }
    break;
  }

  if (tokenizer_.Kind() != XmlTokenKind::EndTag) {
    handler_.Error(kXmlErrorEndTagExpected);
    return true;
  }
  handler_.EndElement();
  tokenizer_.Next();
  if (tokenizer_.Kind() != XmlTokenKind::TagClose) {
    handler_.Error(kXmlErrorCloseExpected);
    return true;
  }
  tokenizer_.Next();
  return true;
}

XmlDomBuilder::~XmlDomBuilder() {
  while (!open_.Empty()) Pop();
}

void XmlDomBuilder::StartElement(const DynString& name) {
  XmlNode* node = nullptr;
  {
    DynArenaScope scope(arena_);
    node = XmlNode::New(name);
  }
  if (node) {
    if (built_ == 0) {
      DynArenaScope scope(arena_);
      node = target_->AppendChild(node);
    } else if (children_.Append(node) != S_OK) {
      XmlNode::Delete(node);
      node = nullptr;
    }
  }
  open_.Append(Open{node, attributes_.Size(), children_.Size()});
  if (node) ++built_;
}

namespace {

// Moves the top `count` entries of a stack into the node's array, which is empty (a block of the
// arena sized exactly) or, in the rare other case, grows as usual. False when no memory was had.
template <class T>
bool MoveInto(DynArray<T>& array, const T* entries, std::int32_t count, DynArena* arena) {
  if (count == 0) return true;
  if (array.Empty() && arena) {
    if (void* block = arena->Allocate(sizeof(T) * static_cast<std::size_t>(count), alignof(T))) {
      std::memcpy(block, entries, sizeof(T) * static_cast<std::size_t>(count));
      array.AdoptArenaBlock(static_cast<T*>(block), count);
      return true;
    }
  }
  DynArenaScope scope(arena);
  return array.Reserve(array.Size() + count) == S_OK && array.Append(entries, count) == S_OK;
}

}  // namespace

void XmlDomBuilder::Pop() {
  if (open_.Empty()) return;
  const Open open = open_.Pop();
  // Without a node the element's content stays on the stacks, as its parent's.
  if (!open.node) return;
  --built_;
  XmlNode& node = *open.node;
  if (!MoveInto(node.attributes_, attributes_.Data() + open.attributes, attributes_.Size() - open.attributes, arena_)) {
    for (std::int32_t i = open.attributes; i < attributes_.Size(); ++i) XmlNode::DeleteAttribute(attributes_[i]);
  }
  if (!MoveInto(node.children_, children_.Data() + open.children, children_.Size() - open.children, arena_)) {
    for (std::int32_t i = open.children; i < children_.Size(); ++i) XmlNode::Delete(children_[i]);
  }
  attributes_.SetSize(open.attributes);
  children_.SetSize(open.children);
}

void XmlDomBuilder::AddAttribute(const DynString& name, const DynString& value) {
  if (built_ == 0) {
    DynArenaScope scope(arena_);
    target_->AddAttribute(name, value);
    return;
  }
  XmlAttribute* attribute = nullptr;
  {
    DynArenaScope scope(arena_);
    attribute = XmlNode::NewAttribute(name, value);
  }
  if (attribute && attributes_.Append(attribute) != S_OK) XmlNode::DeleteAttribute(attribute);
}

void XmlDomBuilder::Attribute(const DynString& name, const DynString& value) { AddAttribute(name, value); }

void XmlDomBuilder::CharacterData(const DynString& text) {
  static const DynString kTextName(kXmlTextName);  // made on the heap, before the arena is current
  AddAttribute(kTextName, text);
}

namespace {
int Parse(XmlTokenizer& tokenizer, XmlNode& target) {
  bool parsed = false;
  {
    XmlDomBuilder builder(target);  // its end completes the elements left open
    XmlParser parser(tokenizer, builder);
    parsed = parser.ParseDocument();
  }
  return parsed ? kXmlParsed : kXmlSyntaxError;
}
}  // namespace

int XmlParseFile(const WCHAR* path, XmlNode& target) {
  SourceBuffer source;
  LoadFileBuffer(path, source);
  if (!source.loaded) return kXmlNoFile;
  XmlTokenizer tokenizer(source);
  return Parse(tokenizer, target);
}

int XmlParseBytes(const void* data, std::int32_t size, XmlNode& target) {
  if (!data || size <= 0) return kXmlNoFile;
  XmlTokenizer tokenizer(data, size);  // read in place: the caller's bytes stay meanwhile
  return Parse(tokenizer, target);
}

}  // namespace cumulor
