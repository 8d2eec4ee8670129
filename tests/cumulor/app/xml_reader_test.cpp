#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <cstring>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "cumulor/app/base/xml_reader.h"
#include "cumulor/app/base/xml_writer.h"

namespace cumulor {
namespace {

int Parse(const std::string& text, XmlNode& top) {
  return XmlParseBytes(text.data(), static_cast<std::int32_t>(text.size()), top);
}

// Latin-1 bytes as UTF-8 (pugixml's text inside).
std::string Utf8(const char* latin1, std::size_t n) {
  std::string s;
  for (std::size_t i = 0; i < n; ++i) {
    unsigned char c = static_cast<unsigned char>(latin1[i]);
    if (c < 0x80) {
      s += static_cast<char>(c);
    } else {
      s += static_cast<char>(0xC0 | (c >> 6));
      s += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return s;
}

std::string Written(const XmlNode& root) {
  std::string out;
  XmlWriteDocument(root, out);
  return out;
}

// The tree as one line: name[attr=value ...](children), for comparisons.
std::string Shape(const XmlNode& n) {
  std::string s = n.Name().CStr();
  s += '[';
  for (std::int32_t i = 0; i < n.AttributeCount(); ++i) {
    if (i) s += ' ';
    s += std::string(n.Attribute(i).name.CStr()) + "=" + n.Attribute(i).value.CStr();
  }
  s += "](";
  for (std::int32_t i = 0; i < n.ChildCount(); ++i) s += Shape(*n.Child(i));
  return s + ")";
}

// Documents built the way the program builds them: attributes, leaf texts, nesting, the
// characters that need references, Latin-1 text and the byte 0xFF.
std::vector<std::function<void(XmlNode&)>> Builders() {
  return {
      [](XmlNode& d) { d.AddChildInt("Zoom", 5); },
      [](XmlNode& d) {
        XmlNode* task = d.AddChild("Task");
        task->AddAttribute("Name", "Hill <A> & \"B\"");
        XmlNode* tp = task->AddChild("Turnpoint");
        tp->AddChildString("Name", "Dr\xFCsel & <S\xF6hne>");
        tp->AddChildLatLon(GeoPoint{-36000, 1800000});
      },
      [](XmlNode& d) {
        d.AddChildString("Place", "\xFFp\xE9rigueux\xFF");
        d.AddChildString("Ampersands", "&amp; &lt; &#65; &");
        d.AddChildString("Trailing", "text   ");
      },
      [](XmlNode& d) {
        XmlNode* a = &d;
        for (int i = 0; i < 30; ++i) a = a->AddChild("Level");
        a->AddChildDouble("Deep", 0.1);
      },
      [](XmlNode& d) {
        XmlNode* f = d.AddChild("Font");
        f->AddAttribute("q", "\"");
        f->AddAttribute("gt", ">");
        f->AddAttribute("empty", "");
      },
  };
}

TEST(XmlRoundTrip, OurWriterOurReaderAndPugixml) {
  for (auto& build : Builders()) {
    XmlNode top = XmlNode::ConstructTop();
    build(*top.AddChild("Doc"));
    std::string text = Written(top);

    XmlNode back = XmlNode::ConstructTop();
    ASSERT_EQ(Parse(text, back), kXmlParsed) << text;
    EXPECT_EQ(Shape(back), Shape(top)) << text;
    EXPECT_EQ(Written(back), text);

    // pugixml reads the same document to the same element names, attribute values and texts.
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_buffer(text.data(), text.size(), pugi::parse_default, pugi::encoding_latin1)) << text;
    std::function<void(const XmlNode&, pugi::xml_node)> same = [&](const XmlNode& ours, pugi::xml_node theirs) {
      EXPECT_EQ(std::string(theirs.name()), std::string(ours.Name().CStr()));
      std::int32_t attrs = 0;
      for (pugi::xml_attribute a : theirs.attributes()) {
        const XmlAttribute& o = ours.Attribute(attrs++);
        EXPECT_EQ(std::string(a.name()), o.name.CStr());
        EXPECT_EQ(std::string(a.value()), Utf8(o.value.CStr(), static_cast<std::size_t>(o.value.Length())));
      }
      if (const char* t = ours.GetText()) {
        EXPECT_EQ(std::string(theirs.text().get()), Utf8(t, std::strlen(t)));
      }
      std::int32_t i = 0;
      for (pugi::xml_node c : theirs.children()) {
        if (c.type() == pugi::node_element) same(*ours.Child(i++), c);
      }
      EXPECT_EQ(i, ours.ChildCount());
    };
    same(*top.Child(0), doc.document_element());
  }
}

TEST(XmlRoundTrip, PugixmlWrittenDocumentsOfTheSameShapeReadBack) {
  pugi::xml_document doc;
  auto decl = doc.append_child(pugi::node_declaration);
  decl.append_attribute("version") = "1.0";
  decl.append_attribute("encoding") = "ISO-8859-1";
  pugi::xml_node tasks = doc.append_child("Tasks");
  pugi::xml_node task = tasks.append_child("Task");
  task.append_attribute("Name") = "A<B>&\"C\"";
  task.append_child("Turnpoint").append_child(pugi::node_pcdata).set_value("S\xC3\xB6hne & <Co>");  // UTF-8 in
  tasks.append_child(pugi::node_comment).set_value(" kept out ");
  for (unsigned flags : {pugi::format_raw, pugi::format_indent}) {
    // An empty element reads back only in the indented form, which has a blank before "/>".
    if (flags == pugi::format_indent) tasks.append_child("Empty");
    std::ostringstream stream;
    doc.save(stream, "\t", flags, pugi::encoding_latin1);
    XmlNode top = XmlNode::ConstructTop();
    ASSERT_EQ(Parse(stream.str(), top), kXmlParsed) << stream.str();
    const XmlNode* t = top.FindNamed("Task");
    ASSERT_NE(t, nullptr);
    EXPECT_STREQ(t->GetAttribute("Name"), "A<B>&\"C\"");
    EXPECT_STREQ(top.GetChildText("Turnpoint"), "S\xF6hne & <Co>");
    if (flags == pugi::format_indent) {
      EXPECT_NE(top.FindNamed("Empty"), nullptr);
    }
  }
}

TEST(XmlReader, WhatTheReaderAccepts) {
  struct Case {
    const char* text;
    int result;
    const char* shape;  // of the target's first child (on a syntax error: what was built so far)
  } cases[] = {
      {"<a><b>1</c></a>", kXmlParsed, "a[](b[Text=1]())"},  // end-tag names are not compared
      {"<a />", kXmlSyntaxError, nullptr},  // an empty document element
      {"<a/>", kXmlParsed, "a/[]()"},        // a start tag "a/" whose end tags are missing
      {"<a v=\"x>y\">t</a>", kXmlParsed, "a[v=x>y Text=t]()"},  // ">" inside a quoted value
      // With a blank before the slash an empty element; without, "c/" is a start tag that takes
      // the next end tag as its own.
      {"<a><b /><c/></a>", kXmlParsed, "a[](b[]()c/[]())"},
      // Single quotes are not recognised: an empty value, and "'1'" becomes an attribute name.
      {"<a x='1'>t</a>", kXmlParsed, "a[x= '1'= Text=t]()"},
      {"<a>&copy; &amp;lt;</a>", kXmlParsed, "a[Text=&copy; &lt;]()"},  // other references stay
      {"<a>x</a><!-- after -->", kXmlSyntaxError, nullptr},
      {"<a>one\r\ntwo\tthree </a>", kXmlParsed, "a[Text=one  two three ]()"},
      {"<?xml version=\"1.0\"?>\r\n<a><!-- c --><b>2</b></a>", kXmlParsed, "a[](b[Text=2]())"},
      {"<!-- c --><a></a>", kXmlSyntaxError, nullptr},
      {"<a>t<b>u</b>v</a>", kXmlParsed, "a[Text=t Text=v](b[Text=u]())"},
      {"<a>\r\n   <b>1</b>\r\n", kXmlParsed, "a[](b[Text=1]())"},  // ends between tokens: missing end tags
      {"<a>\r\n   <b>1</b", kXmlSyntaxError, "a[](b[Text=1]())"},  // ends inside a name
      {"<a k=\"v\">s<b>1</b><c>text", kXmlSyntaxError, "a[k=v Text=s](b[Text=1]()c[]())"},  // inside a text
      {"<a x=\"1", kXmlSyntaxError, "a[]()"},
      {"<a><!-- open", kXmlSyntaxError, nullptr},
      {"<?xml open", kXmlSyntaxError, nullptr},
      {"<a>x</a>stray", kXmlSyntaxError, nullptr},
      {"<a>\xFFp\xFF</a>", kXmlParsed, "a[Text=\xFFp\xFF]()"},
      {"<\xFF a=\"\xFF\"></\xFF>", kXmlParsed, "\xFF[a=\xFF]()"},
      {"<a>x</a>\xFF", kXmlSyntaxError, nullptr},  // 0xFF is a character, not the end
      {"<a k=\"Fish & Chips\">Fish & Chips > 2</a>", kXmlParsed, "a[k=Fish & Chips Text=Fish & Chips > 2]()"},
      {"", kXmlNoFile, nullptr},
  };
  for (const Case& c : cases) {
    XmlNode top = XmlNode::ConstructTop();
    EXPECT_EQ(Parse(c.text, top), c.result) << c.text;
    if (c.shape) {
      ASSERT_EQ(top.ChildCount(), 1) << c.text;
      EXPECT_EQ(Shape(*top.Child(0)), c.shape) << c.text;
    }
  }
}

// Records what the parser reports.
class Recorder : public XmlHandler {
 public:
  std::string events;
  void StartElement(const DynString& name) override { events += std::string("<") + name.CStr(); }
  void EndElement() override { events += "/"; }
  void EmptyElementEnd() override { events += "~"; }
  void Attribute(const DynString& name, const DynString& value) override {
    events += std::string(" ") + name.CStr() + "=" + value.CStr();
  }
  void CharacterData(const DynString& text) override { events += std::string("'") + text.CStr(); }
  void Comment(const DynString& text) override { events += std::string("!") + text.CStr(); }
  void Error(int code) override { events += "E" + std::to_string(code); }
};

TEST(XmlReader, ParserReportsEventsAndErrorCodes) {
  struct Case {
    const char* text;
    bool result;
    const char* events;
  } cases[] = {
      {"<a k=\"v\"><!--c--><b />t</a>", true, "<a k=v!c<b~'t/"},
      {"<a><b>1</b>", true, "<a<b'1/E1"},          // missing end tags: error 1 only
      {"<a></a x>", false, "<a/E2E0"},              // ">" expected after the end tag's name
      {"<a></a><b></b>", false, "<a/E0"},           // something follows the document element
      {"<a />", false, "<a~"},
  };
  for (const Case& c : cases) {
    SourceBuffer source;
    source.LoadBytes(c.text, static_cast<std::int32_t>(std::strlen(c.text)));
    XmlTokenizer tokenizer(source);
    Recorder recorder;
    XmlParser parser(tokenizer, recorder);
    EXPECT_EQ(parser.ParseDocument(), c.result) << c.text;
    EXPECT_EQ(recorder.events, c.events) << c.text;
  }
}

TEST(XmlReader, DeepNestingIsASyntaxErrorNotACrash) {
  std::string deep;
  for (int i = 0; i < 200000; ++i) deep += "<a>";
  XmlNode top = XmlNode::ConstructTop();
  EXPECT_EQ(Parse(deep, top), kXmlSyntaxError);
}

TEST(XmlReader, TruncatedAndRandomDocumentsNeverCrash) {
  XmlNode source = XmlNode::ConstructTop();
  for (auto& build : Builders()) build(*source.AddChild("Doc"));
  XmlNode doc = XmlNode::ConstructTop();
  XmlNode* all = doc.AddChild("All");
  for (std::int32_t i = 0; i < source.ChildCount(); ++i) all->AddChild("x")->CopyFrom(*source.Child(i));
  std::string text = Written(doc);

  for (std::size_t cut = 0; cut <= text.size(); ++cut) {
    XmlNode top = XmlNode::ConstructTop();
    int r = Parse(text.substr(0, cut), top);
    EXPECT_TRUE(r == kXmlParsed || r == kXmlSyntaxError || (cut == 0 && r == kXmlNoFile));
  }

  std::mt19937 random(20261209);
  const std::string alphabet = "<>/=\"?!- \r\nab&;\xFF";
  for (int round = 0; round < 3000; ++round) {
    std::string mutated = text;
    int edits = 1 + static_cast<int>(random() % 8);
    for (int e = 0; e < edits; ++e) {
      std::size_t at = random() % mutated.size();
      switch (random() % 3) {
        case 0:
          mutated[at] = alphabet[random() % alphabet.size()];
          break;
        case 1:
          mutated.erase(at, 1 + random() % 20);
          break;
        default:
          mutated.insert(at, 1, static_cast<char>(random() % 256));
      }
      if (mutated.empty()) mutated = "<";
    }
    XmlNode top = XmlNode::ConstructTop();
    int r = Parse(mutated, top);
    EXPECT_TRUE(r == kXmlParsed || r == kXmlSyntaxError);
  }
  for (int round = 0; round < 500; ++round) {
    std::string noise(1 + random() % 400, '\0');
    for (char& c : noise) c = alphabet[random() % alphabet.size()];
    XmlNode top = XmlNode::ConstructTop();
    Parse(noise, top);
  }
}

}  // namespace
}  // namespace cumulor
