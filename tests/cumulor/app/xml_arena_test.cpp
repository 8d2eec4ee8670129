// Parsed documents live in their root's arena; changing them afterwards (heap nodes, texts, copies,
// a second parse into a parsed node) must neither leak nor free anything twice. The sanitizers'
// leak and use-after-free checks watch every case.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "cumulor/app/base/xml_reader.h"
#include "cumulor/app/base/xml_writer.h"

namespace cumulor {
namespace {

const char kDocument[] =
    "<?xml version=\"1.0\"?>\n<Settings><Zoom>5</Zoom><Files><Shape><File1 path=\"\\IPSM\">a.shp</File1>"
    "</Shape></Files><Home><Turnpoint><name>Gap &amp; Ridge</name></Turnpoint></Home></Settings>";

void Parse(XmlNode& into, const char* text = kDocument) {
  ASSERT_EQ(XmlParseBytes(text, static_cast<std::int32_t>(std::strlen(text)), into), kXmlParsed);
}

std::string Written(const XmlNode& top) {
  std::string out;
  XmlWriteDocument(top, out);
  return out;
}

TEST(XmlArena, ParsedTreesChangedAfterwardsAreFreedWhole) {
  struct Case {
    const char* what;
    std::function<void(XmlNode& top)> change;
    const char* expected;  // a text the written document then holds ...
    int times = 1;         // ... at least this often
  };
  const Case cases[] = {
      {"unchanged", [](XmlNode&) {}, "<name>Gap &amp; Ridge</name>"},
      {"a heap child under a parsed element",
       [](XmlNode& top) { top.Child(0)->FindChild("Files")->AddChild("Terrain")->AddChildString("File1", "x.kv3"); },
       "<File1>x.kv3</File1>"},
      {"a text and an attribute on a parsed element",
       [](XmlNode& top) {
         XmlNode* zoom = top.Child(0)->FindChild("Zoom");
         zoom->AddAttribute("unit", "km");
         zoom->SetText("7");
       },
       "unit=\"km\""},
      {"many children, so the parsed child array leaves the arena",
       [](XmlNode& top) {
         for (int i = 0; i < 200; ++i) top.Child(0)->AddChildInt("Extra", i);
       },
       "<Extra>199</Extra>"},
      {"a parsed element copied over by another",
       [](XmlNode& top) { top.Child(0)->FindChild("Zoom")->CopyFrom(*top.Child(0)->FindChild("Home")); },
       "<Home>", 2},
      {"a parsed element destroyed in place",
       [](XmlNode& top) { top.Child(0)->FindChild("Files")->Destroy(); },
       "<Zoom>5</Zoom>"},
      {"a second document parsed into a parsed element",
       [](XmlNode& top) { Parse(*top.Child(0)->FindChild("Home"), "<Extra><Inner>9</Inner></Extra>"); },
       "<Inner>9</Inner>"},
      {"a second document parsed into the same root",
       [](XmlNode& top) { Parse(top, "<Second>2</Second>"); }, "<Zoom>5</Zoom>"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    XmlNode top = XmlNode::ConstructTop();
    Parse(top);
    c.change(top);
    const std::string written = Written(top);
    int found = 0;
    for (std::size_t at = written.find(c.expected); at != std::string::npos; at = written.find(c.expected, at + 1))
      ++found;
    EXPECT_GE(found, c.times) << written;
    // The tree stays readable after the change, and freeing it twice over (Destroy, then the
    // destructor) is safe.
    EXPECT_STREQ(top.Child(0)->Name().CStr(), "Settings");
    top.Destroy();
    EXPECT_EQ(top.ChildCount(), 0);
  }
}

TEST(XmlArena, ARootKeepsItsTreeWhenMovedAndCopiesLeaveTheArena) {
  XmlNode copy = XmlNode::ConstructTop();
  {
    XmlNode first = XmlNode::ConstructTop();
    Parse(first);
    XmlNode moved(std::move(first));
    EXPECT_EQ(first.ChildCount(), 0);
    copy.CopyFrom(moved);
    EXPECT_EQ(Written(copy), Written(moved));
  }
  // The copy outlives the parsed tree and its arena.
  EXPECT_STREQ(copy.Child(0)->FindChild("Home")->FindChild("Turnpoint")->GetChildText("name"), "Gap & Ridge");
  const XmlNode* file = copy.FindNamed("File1");
  ASSERT_NE(file, nullptr);
  EXPECT_STREQ(file->GetAttribute("path"), "\\IPSM");
}

TEST(XmlArena, AnArrayGrownInAnArenaMovesToTheHeapWhenItGrowsOutside) {
  DynArray<std::int32_t> values;
  {
    DynArena arena;
    {
      DynArenaScope scope(&arena);
      for (std::int32_t i = 0; i < 100; ++i) values.Append(i);
    }
    for (std::int32_t i = 100; i < 1000; ++i) values.Append(i);
  }  // the arena is gone; the array's block is its own
  ASSERT_EQ(values.Size(), 1000);
  for (std::int32_t i = 0; i < 1000; ++i) ASSERT_EQ(values[i], i);
  DynArray<std::int32_t> copy(values);
  EXPECT_EQ(copy[999], 999);
}

}  // namespace
}  // namespace cumulor
