#include <gtest/gtest.h>

#include <string>

#include "cumulor/app/base/xml_node.h"
#include "cumulor/app/base/xml_writer.h"

namespace cumulor {
namespace {

std::string Written(const XmlNode& root) {
  std::string out;
  XmlWriteDocument(root, out);
  return out;
}

TEST(XmlNode, LookupsFollowTheModel) {
  XmlNode top = XmlNode::ConstructTop();
  XmlNode* settings = top.AddChild("Settings");
  settings->AddChildInt("Zoom", 5);
  XmlNode* files = settings->AddChildElement("Files");
  files->AddChildString("Name", "first");
  files->AddChildString("Name", "second");
  XmlNode* entry = settings->AddChild("T");
  entry->AddAttribute("id", "12");
  entry->SetText("Exit");

  std::int32_t v = 0;
  EXPECT_TRUE(settings->GetChildInt("Zoom", v));
  EXPECT_EQ(v, 5);
  EXPECT_FALSE(settings->GetChildInt("zoom", v));  // names are case-sensitive
  EXPECT_STREQ(top.GetChildText("Name"), "first");  // depth-first: the first one found
  EXPECT_EQ(settings->FindChild("Name"), nullptr);  // not a direct child
  EXPECT_STREQ(entry->GetText(), "Exit");
  EXPECT_TRUE(entry->GetKeyInt(v));  // one key attribute plus the text
  EXPECT_EQ(v, 12);
  entry->AddAttribute("id", "13");  // three attributes: no key
  EXPECT_FALSE(entry->GetKeyInt(v));
  EXPECT_STREQ(entry->GetAttribute("id"), "12");  // the first of the name

  // A node whose own name matches answers with its own text.
  XmlNode* zoom = settings->FindChild("Zoom");
  EXPECT_TRUE(zoom->GetChildInt("Zoom", v));
  double d = 0;
  EXPECT_FALSE(settings->GetDouble(d));  // no text of its own
  settings->AddChildString("Bad", "abc");
  EXPECT_TRUE(settings->GetChildDouble("Bad", d));  // not a number: 0 and true
  EXPECT_EQ(d, 0.0);

  XmlChildIterator it = settings->ChildIterator();
  int n = 0;
  for (; !it.AtEnd(); it.Advance()) ++n;
  EXPECT_EQ(n, settings->ChildCount());
  EXPECT_EQ(XmlNode("empty").Children(), nullptr);
  EXPECT_EQ(XmlNode("empty").LastChild(), nullptr);
}

TEST(XmlNode, PositionsInDegreesAndTenths) {
  XmlNode node("Home");
  GeoPoint p{-10 * 36000, 50 * 36000};
  node.AddChildLatLon(p);
  EXPECT_STREQ(node.Child(0)->Name().CStr(), "lat");
  EXPECT_STREQ(node.GetChildText("lat"), "50");
  EXPECT_STREQ(node.GetChildText("lon"), "-10");
  GeoPoint back;
  ASSERT_TRUE(node.GetChildLatLon(back));
  EXPECT_EQ(back, p);
  GeoPoint odd{-1234567, 1765432};  // a position that is not a whole degree
  XmlNode other("P");
  other.AddChildLatLon(odd);
  ASSERT_TRUE(other.GetChildLatLon(back));
  EXPECT_EQ(back, odd);

  // Degrees are read to the nearest unit: ten digits that lie just below a unit still name it.
  struct Text {
    const char* lat;
    std::int32_t units;
  } texts[] = {{"50", 1800000}, {"47.00002777", 1692001}, {"-10.00002777", -360001}, {"47.000013", 1692000},
               {"-0.000013", 0}};
  for (const Text& t : texts) {
    XmlNode n("P");
    n.AddChildString("lat", t.lat);
    n.AddChildString("lon", "0");
    ASSERT_TRUE(n.GetChildLatLon(back));
    EXPECT_EQ(back.lat, t.units) << t.lat;
  }

  XmlNode tenths("T");
  tenths.AddChildInt("Lat", -12345);
  GeoPoint t{7, 7};
  EXPECT_FALSE(tenths.GetChildLatLonTenths(t));  // "Lon" missing: false, lat already stored
  EXPECT_EQ(t.lat, -1234);
  EXPECT_EQ(t.lon, 7);
  XmlNode none("N");
  EXPECT_FALSE(none.GetChildLatLon(t));
}

TEST(XmlNode, CopyFromIsDeep) {
  XmlNode a("A");
  a.AddAttribute("k", "v");
  a.AddChild("B")->AddChildInt("C", 1);
  XmlNode b("old");
  b.AddChild("gone");
  b.CopyFrom(a);
  a.Destroy();
  EXPECT_STREQ(b.Name().CStr(), "A");
  EXPECT_STREQ(b.GetAttribute("k"), "v");
  ASSERT_EQ(b.ChildCount(), 1);
  std::int32_t v = 0;
  EXPECT_TRUE(b.GetChildInt("C", v));
  b.CopyFrom(*b.Child(0));  // a part of its own subtree
  EXPECT_STREQ(b.Name().CStr(), "B");
  EXPECT_EQ(b.AttributeCount(), 0);
  EXPECT_STREQ(b.Child(0)->GetText(), "1");
}

TEST(XmlWriter, LayoutOfTheProgramsDocuments) {
  XmlNode top = XmlNode::ConstructTop();
  XmlNode* settings = top.AddChild("Settings");
  settings->AddChildInt("Zoom", 5);
  XmlNode* empty = settings->AddChild("Empty");
  empty->SetText("");
  XmlNode* twice = settings->AddChild("Twice");
  twice->SetText("one");
  twice->SetText("two");
  XmlNode* attrs = settings->AddChild("Font");
  attrs->AddAttribute("role", "3");
  attrs->AddAttribute("h", "12");
  settings->AddChild("Box")->AddChildString("Name", "A&B <1> \"q\" \xFF");
  EXPECT_EQ(Written(top),
            "<?xml version=\"1.0\" encoding=\"ISO-8859-1\" ?>\r\n"
            "<Settings>\r\n"
            "   <Zoom>5</Zoom>\r\n"
            "   <Empty></Empty>\r\n"
            "   <Twice>one</Twice>\r\n"
            "   <Font role=\"3\" h=\"12\">\r\n"
            "   </Font>\r\n"
            "   <Box>\r\n"
            "      <Name>A&amp;B &lt;1&gt; &quot;q&quot; \xFF</Name>\r\n"
            "   </Box>\r\n"
            "</Settings>\r\n");
  EXPECT_EQ(std::string(kXmlDeclaration).size(), 46u);
  XmlNode bare = XmlNode::ConstructTop();
  EXPECT_EQ(Written(bare), kXmlDeclaration);
}

}  // namespace
}  // namespace cumulor
