// The document reader: a character tokenizer, a recursive-descent parser reporting to a handler,
// and the handler that builds the XmlNode tree.
//
// It reads what the writer produces, plus comments and one leading processing instruction. The
// references "&amp;", "&lt;", "&gt;" and "&quot;" in attribute values and texts are decoded; every
// other "&" sequence stays as written. A quoted attribute value runs to the next double quote (">"
// inside it is an ordinary character, as other writers leave it). End-tag names are not compared with their start tags. Input
// that ends between tokens before the document element's end tags is accepted; input that ends
// inside a name, value, text, comment or instruction is a syntax error.
#pragma once

#include <cstdint>

#include "cumulor/app/base/dyn_string.h"
#include "cumulor/app/base/text_file.h"
#include "cumulor/app/base/xml_node.h"
#include "platform/base/types.h"

namespace cumulor {

enum class XmlTokenKind : std::int32_t {
  ProcessingInstruction = 0,
  StartTag = 1,
  EndTag = 2,
  EmptyElementClose = 3,
  TagClose = 4,
  Comment = 5,
  Attribute = 6,
  Text = 7,
  EndOfInput = 8,
};

// Error codes reported to XmlHandler::Error.
inline constexpr int kXmlErrorTrailing = 0;      // something other than the end follows the document element
inline constexpr int kXmlErrorEndTagExpected = 1;
inline constexpr int kXmlErrorCloseExpected = 2;  // ">" expected

class XmlHandler {
 public:
  virtual ~XmlHandler() = default;
  virtual void StartElement(const DynString& /*name*/) {}
  virtual void EndElement() {}
  virtual void EmptyElementEnd() {}
  virtual void Attribute(const DynString& /*name*/, const DynString& /*value*/) {}
  virtual void CharacterData(const DynString& /*text*/) {}
  virtual void Comment(const DynString& /*text*/) {}
  virtual void Error(int /*code*/) {}
};

class XmlTokenizer {
 public:
  // Reads the first character and the first token at once, from the source's read position (the
  // source's bytes must stay while the tokenizer reads them).
  explicit XmlTokenizer(const SourceBuffer& source);
  // The same over bytes held elsewhere, read in place.
  XmlTokenizer(const void* data, std::int32_t size);

  void Next();
  // After a processing instruction token: skips up to and including "?>", then reads the next token.
  void SkipProcessingInstruction();
  // Ends the input here (the document is then a syntax error).
  void Abort();

  XmlTokenKind Kind() const { return kind_; }
  const DynString& Text() const { return text_; }
  const DynString& Value() const { return value_; }
  // True when the input ended inside a token, or Abort() was called.
  bool Truncated() const { return truncated_; }

 private:
  void Read() { current_ = position_ < size_ ? data_[position_++] : SourceBuffer::kEndOfInput; }
  bool AtEnd() const { return current_ == SourceBuffer::kEndOfInput; }
  // Where the run starting at the current character ends (the index of the first such byte, or
  // the input's size): at the byte `stop`, or at the end of a name.
  std::int32_t RunEndAt(char stop) const;
  std::int32_t NameEnd(bool stopAtEquals) const;
  // Appends the bytes from the current character up to `end` and reads the byte at `end`.
  void TakeRun(DynString& into, std::int32_t end);
  void ReadName(DynString& into, bool stopAtEquals);
  void ReadComment();
  void ReadText();

  const std::uint8_t* data_;
  std::int32_t size_;
  std::int32_t position_;  // of the byte after the current character
  XmlTokenKind kind_ = XmlTokenKind::EndOfInput;
  DynString text_;
  DynString value_;
  int current_ = SourceBuffer::kEndOfInput;
  bool inTag_ = false;
  bool commentPending_ = false;
  bool truncated_ = false;
};

class XmlParser {
 public:
  // Elements nested deeper than this make the document a syntax error.
  static constexpr int kMaxDepth = 1000;

  XmlParser(XmlTokenizer& tokenizer, XmlHandler& handler) : tokenizer_(tokenizer), handler_(handler) {}
  // True when a document element was read and the input then ended.
  bool ParseDocument();

 private:
  bool ParseElement(int depth);

  XmlTokenizer& tokenizer_;
  XmlHandler& handler_;
};

// Builds the tree under the target node: each element becomes a child of the open element, each
// attribute an attribute, each text run a "Text" attribute.
//
// The new nodes, attributes and their arrays are made in the target's arena. The attributes and
// children of an open element wait on two stacks (its own on top of its parent's) and go into its
// arrays, sized exactly, when it ends; the elements still open when the builder goes (input that
// ended early) get theirs then, so every node built stays in the tree.
class XmlDomBuilder : public XmlHandler {
 public:
  explicit XmlDomBuilder(XmlNode& target) : target_(&target), arena_(target.ParseArena()) {}
  ~XmlDomBuilder() override;
  XmlDomBuilder(const XmlDomBuilder&) = delete;
  XmlDomBuilder& operator=(const XmlDomBuilder&) = delete;

  void StartElement(const DynString& name) override;
  void EndElement() override { Pop(); }
  void EmptyElementEnd() override { Pop(); }
  void Attribute(const DynString& name, const DynString& value) override;
  void CharacterData(const DynString& text) override;

 private:
  // An open element and where its attributes and children begin on the stacks. An element that
  // could not be made (out of memory) has no node: its content goes to its parent.
  struct Open {
    XmlNode* node;
    std::int32_t attributes;
    std::int32_t children;
  };
  void Pop();
  void AddAttribute(const DynString& name, const DynString& value);

  XmlNode* target_;
  DynArena* arena_;
  DynArray<Open> open_;
  std::int32_t built_ = 0;  // open elements that have a node
  DynArray<XmlAttribute*> attributes_;
  DynArray<XmlNode*> children_;
};

// Results of XmlParseFile.
inline constexpr int kXmlParsed = 0;
inline constexpr int kXmlNoFile = 2;       // cannot be opened or read, or empty
inline constexpr int kXmlSyntaxError = 11;

// Parses the file into target: the document element becomes target's last child. On a syntax error
// the nodes built so far stay in target.
int XmlParseFile(const WCHAR* path, XmlNode& target);
// The same over bytes held in memory (no bytes: kXmlNoFile).
int XmlParseBytes(const void* data, std::int32_t size, XmlNode& target);

}  // namespace cumulor
