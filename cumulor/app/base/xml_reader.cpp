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

// Decodes the four references the writer produces; other "&" sequences stay as they are.
void DecodeReferences(DynString& s) {
  std::int32_t n = s.Length();
  char* p = s.Data();
  if (n == 0 || !std::memchr(p, '&', static_cast<std::size_t>(n))) return;
  static constexpr struct {
    const char* reference;
    std::int32_t length;
    char replacement;
  } kReferences[] = {{"&amp;", 5, '&'}, {"&lt;", 4, '<'}, {"&gt;", 4, '>'}, {"&quot;", 6, '"'}};
  std::int32_t out = 0;
  for (std::int32_t i = 0; i < n;) {
    bool decoded = false;
    if (p[i] == '&') {
      for (const auto& r : kReferences) {
        if (n - i >= r.length && std::memcmp(p + i, r.reference, static_cast<std::size_t>(r.length)) == 0) {
          p[out++] = r.replacement;
          i += r.length;
          decoded = true;
          break;
        }
      }
    }
    if (!decoded) p[out++] = p[i++];
  }
  p[out] = 0;
  s.SetSize(out + 1);
}

}  // namespace

XmlTokenizer::XmlTokenizer(SourceBuffer& source) : source_(source) {
  Read();
  Next();
}

void XmlTokenizer::Abort() {
  truncated_ = true;
  kind_ = XmlTokenKind::EndOfInput;
}

std::int32_t XmlTokenizer::RunEndAt(char stop) const {
  // current_ is the byte before source_.position; the run starts there.
  const auto* data = reinterpret_cast<const char*>(source_.bytes.Data());
  const std::int32_t size = source_.bytes.Size();
  const std::int32_t start = source_.position - 1;
  const void* found = std::memchr(data + start, stop, static_cast<std::size_t>(size - start));
  return found ? static_cast<std::int32_t>(static_cast<const char*>(found) - data) : size;
}

std::int32_t XmlTokenizer::NameEnd(bool stopAtEquals) const {
  const std::uint8_t* data = source_.bytes.Data();
  const std::int32_t size = source_.bytes.Size();
  std::int32_t i = source_.position - 1;
  const std::uint8_t stop = stopAtEquals ? (kNameStopClass | kEqualsClass) : kNameStopClass;
  while (i < size && !(kClasses.of[data[i]] & stop)) ++i;
  return i;
}

void XmlTokenizer::TakeRun(DynString& into, std::int32_t end) {
  const std::int32_t start = source_.position - 1;
  into.DynArray<char>::Append(reinterpret_cast<const char*>(source_.bytes.Data()) + start, end - start);
  source_.position = end;
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
    // White space of any kind reads as blanks; an "&" is noted for the decoding below.
    char* p = text_.Data();
    std::uint8_t seen = 0;
    for (std::int32_t i = from; i < text_.Size(); ++i) {
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
  value_.SetSize(0);
  if (commentPending_) {
    commentPending_ = false;
    Read();
  }
  if (IsSpace(current_)) {
    // A run of white space (indentation, line ends) is passed in one go.
    const std::uint8_t* data = source_.bytes.Data();
    const std::int32_t size = source_.bytes.Size();
    std::int32_t i = source_.position;
    while (i < size && IsSpace(data[i])) ++i;
    source_.position = i;
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

void XmlDomBuilder::StartElement(const DynString& name) {
  XmlNode* node = nullptr;
  {
    DynArenaScope scope(arena_);
    node = current_->AppendChild(XmlNode::New(name));
  }
  open_.Append(current_);
  if (node) current_ = node;  // out of memory: the element's content goes to its parent
}

void XmlDomBuilder::Pop() { current_ = open_.Empty() ? target_ : open_.Pop(); }

void XmlDomBuilder::Attribute(const DynString& name, const DynString& value) {
  DynArenaScope scope(arena_);
  current_->AddAttribute(name, value);
}

void XmlDomBuilder::CharacterData(const DynString& text) {
  static const DynString kTextName(kXmlTextName);  // made on the heap, before the arena is current
  DynArenaScope scope(arena_);
  current_->AddAttribute(kTextName, text);
}

namespace {
int Parse(SourceBuffer& source, XmlNode& target) {
  XmlTokenizer tokenizer(source);
  XmlDomBuilder builder(target);
  XmlParser parser(tokenizer, builder);
  return parser.ParseDocument() ? kXmlParsed : kXmlSyntaxError;
}
}  // namespace

int XmlParseFile(const WCHAR* path, XmlNode& target) {
  SourceBuffer source;
  LoadFileBuffer(path, source);
  if (!source.loaded) return kXmlNoFile;
  return Parse(source, target);
}

int XmlParseBytes(const void* data, std::int32_t size, XmlNode& target) {
  SourceBuffer source;
  source.LoadBytes(data, size);
  if (!source.loaded) return kXmlNoFile;
  return Parse(source, target);
}

}  // namespace cumulor
