// The settings document: a written document read back in a fresh application leaves every element
// and option bit as it was; the load modes skip their elements; values outside their accepted sets
// change nothing; a home without a turnpoint, names with markup characters, a failing save, broken
// and truncated documents, and the start-up merge of the install documents.
#include <gtest/gtest.h>

#include <pugixml.hpp>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app_fixture.h"
#include "cumulor/app/base/xml_reader.h"
#include "cumulor/app/base/xml_writer.h"
#include "cumulor/app/core/settings_document.h"
#include "cumulor/app/ui/fonts.h"
#include "cumulor/data/files/data_files.h"
#include "cumulor/data/task/task_store.h"
#include "cumulor/nav/olc/olc.h"
#include "cumulor/nav/polar/flight_state.h"
#include "platform/files/file_system_seam.h"

namespace {

using namespace cumulor;
using ce::files::FileCall;
using ce::files::FileSystemSeam;

class SettingsDocument : public cumulor_test::AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    ResetKeptSettings();
    FileSystemSeam::Get().Reset();
    // Loading "Files" names the polar of an empty polar category "Default"; start from there.
    for (std::int32_t c = 0; c < kDataFileTypeCount; ++c) SelectedDataFiles()[c].selected.SetSize(0);
    SetDataFileName(kFilesPolar, u"Default");
  }
  void TearDown() override {
    FileSystemSeam::Get().Reset();
    ResetKeptSettings();
    AppTest::TearDown();
  }
  // The document the current settings give, as written (the map centre left out).
  std::string Written() {
    XmlNode top = XmlNode::ConstructTop();
    BuildSettingsDocument(*app, top);
    std::string out;
    XmlWriteDocument(top, out);
    const auto at = out.find("<CurrentPos>");
    const auto end = out.find("</CurrentPos>");
    if (at != std::string::npos && end != std::string::npos) out.erase(at, end + 13 - at);
    return out;
  }
  // Applies a document given as text.
  void Apply(const std::string& text, std::int32_t mode) {
    XmlNode top = XmlNode::ConstructTop();
    ASSERT_EQ(XmlParseBytes(text.data(), static_cast<std::int32_t>(text.size()), top), kXmlParsed) << text;
    ASSERT_GT(top.ChildCount(), 0);
    EXPECT_EQ(ApplySettingsDocument(*app, *top.Child(0), mode), 1);
  }
  // A fresh application record and fresh kept settings.
  void Restart() {
    AppContextFree(app);
    delete app;
    app = new AppContext;
    AppContextInit(app, 0, 0);
    AppRecord() = app;
    ResetKeptSettings();
    OlcSetLegCount(4);
    OlcSetShowRoute(false);
  }
  std::u16string Path(const char16_t* name) { return app->dataFolder.Get() + name; }
  std::filesystem::path HostPath(const char* name) { return device_folder() / "root" / name; }
  static std::string Bytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
};

// Settings away from their start values, given as one document.
const char* const kChanged =
    "<Settings><Columns>32,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,22,23,24,25,26,27,28,29,30,31,32</Columns>"
    "<Flags_Show>165</Flags_Show><ColumnsBr>16,9,9,9,9,9,9,9,9,9,9,9,9,9,9,9,200</ColumnsBr>"
    "<DisabledSuas>16,1,0,1,0,1,0,1,0,1,0,1,0,1,0,1,0</DisabledSuas>"
    "<WarnableSuas>16,0,1,0,1,0,1,0,1,0,1,0,1,0,1,0,1</WarnableSuas>"
    "<BrowserCategory>3</BrowserCategory><ConeEnabled>1</ConeEnabled><ConeSerial>17</ConeSerial>"
    "<SerialPort speed=\"38400\">3</SerialPort><Bugs>12</Bugs><TimeZone>-5</TimeZone><FixRate>4</FixRate>"
    "<SuaDistX>900</SuaDistX><SuaDistY>150</SuaDistY><SuaAudio1>0.75</SuaAudio1><SuaAudio3>0.5</SuaAudio3>"
    "<FGSafetyMargin>350</FGSafetyMargin><MapOrientation>3</MapOrientation><LabelLen>9</LabelLen>"
    "<UnitsAltitude>2</UnitsAltitude><UnitsClimb>4</UnitsClimb><UnitsDistance>8</UnitsDistance><UnitsSpeed>4</UnitsSpeed>"
    "<Zoom>3</Zoom><MagBias>-2</MagBias>"
    "<Declaration><Pilot>A &lt;B&gt; &amp; &quot;C&quot;</Pilot><Registration>D-1234</Registration><CompId>X1</CompId></Declaration>"
    "<GridTeam>64,0,0,0,0,0,0,0,0,5,0,0,0,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,22,23,24,25,26,27,28,29,30,31,32,33,34,35,36,37,38,39,40,41,42,43,44,45,46,47,48,49,50,51,52</GridTeam>"
    "<FinalGlide>112,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,22,23,24,25,26,27,28,29,30,31,32,33,34,35,36,37,38,39,40,41,42,43,44,45,46,47,48,49,50,51,52,53,54,55,56,57,58,59,60,61,62,63,64,65,66,67,68,69,70,71,72,73,74,75,76,77,78,79,80,81,82,83,84,85,86,87,88,89,90,91,92,93,94,95,96,97,98,99,100,101,102,103,104,105,106,107,108,109,110,111,112</FinalGlide>"
    "<Contours>20,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,22,23,24,25,26</Contours>"
    "<Menu><Row>1</Row></Menu><NavBar><NavBoxes><Box nr=\"2\"><On>0</On></Box><Box nr=\"5\"><On>1</On><X>10</X>"
    "<Y>200</Y><L>2</L></Box></NavBoxes><Visible>1</Visible><AllowDrag>0</AllowDrag><Lock>1</Lock></NavBar>"
    "<Grid><Size>4</Size></Grid>"
    "</Settings>";

// Written, read back into a fresh application and written again: the same document, for the
// changed settings and for each option bit alone (the other two words at 0).
TEST_F(SettingsDocument, AWrittenDocumentReadsBackToTheSameSettings) {
  struct Case {
    std::string name;
    std::string flags;
  };
  std::vector<Case> cases{{"changed settings", ""}};
  for (int word = 1; word <= 3; ++word)
    for (int bit = 0; bit < 16; ++bit) {
      std::string flags;
      for (int w = 1; w <= 3; ++w)
        flags += "<Flags" + std::to_string(w) + ">" + std::to_string(w == word ? 1 << bit : 0) + "</Flags" +
                 std::to_string(w) + ">";
      cases.push_back({"Flags" + std::to_string(word) + " bit " + std::to_string(bit), flags});
    }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Restart();
    std::string document = kChanged;
    document.insert(document.size() - std::strlen("</Settings>"), c.flags);
    Apply(document, kSettingsMain);
    const std::string first = Written();
    ASSERT_EQ(SaveSettingsFile(*app, nullptr, nullptr), 1);

    Restart();
    ASSERT_EQ(LoadSettingsFile(*app, Path(u"\\KV_SETTINGS.xml").c_str(), kSettingsMain), 0);
    EXPECT_EQ(Written(), first);
    EXPECT_EQ(std::string(app->declaration.pilot), "A <B> & \"C\"");
    EXPECT_EQ(app->portNumber, 3);
    EXPECT_EQ(app->baudRate, 38400u);
    EXPECT_EQ(std::u16string(app->portName), u"COM3:");
  }

  // Flags2 bits 14 and 15 are the contest's six legs and shown route; a clear bit 14 keeps the count.
  Restart();
  Apply("<Settings><Flags2>49152</Flags2></Settings>", kSettingsMain);
  EXPECT_EQ(OlcLegCount(), 6);
  EXPECT_TRUE(OlcShowRoute());
  Apply("<Settings><Flags2>0</Flags2></Settings>", kSettingsMain);
  EXPECT_EQ(OlcLegCount(), 6);
  EXPECT_FALSE(OlcShowRoute());

  // The task speed unit is packed twice; the third word decides.
  Restart();
  Apply("<Settings><Flags1>2048</Flags1><Flags3>256</Flags3></Settings>", kSettingsMain);
  EXPECT_EQ(app->taskSpeedUnit, 8);
  Apply("<Settings><Flags3>0</Flags3><Flags1>0</Flags1></Settings>", kSettingsMain);
  EXPECT_EQ(app->taskSpeedUnit, 8);

  // Flags3 bit 0 is the airspace fill: "Solid" gives the groups their solid brushes, "See through"
  // the patterned ones that the frame draws with XOR.
  Restart();
  ASSERT_EQ(app->airspace.fillMode, 1);
  Apply("<Settings><Flags3>0</Flags3></Settings>", kSettingsMain);
  EXPECT_EQ(app->airspace.fillMode, 0);
  const AirspaceFill solid = app->airspace.group[kGroupClassC].fill;
  EXPECT_EQ(solid.kind, AirspaceFill::kSolid);
  Apply("<Settings><Flags3>1</Flags3></Settings>", kSettingsMain);
  EXPECT_EQ(app->airspace.fillMode, 1);
  EXPECT_EQ(app->airspace.group[kGroupClassC].fill.kind, AirspaceFill::kChecked);
  Apply("<Settings><Flags3>0</Flags3></Settings>", kSettingsMain);
  EXPECT_EQ(app->airspace.group[kGroupClassC].fill, solid);

  // The written file is well-formed, with its elements in the writing order.
  pugi::xml_document doc;
  ASSERT_TRUE(doc.load_file(HostPath("KV_SETTINGS.xml").c_str()));
  std::vector<std::string> names;
  for (const pugi::xml_node& n : doc.document_element().children()) names.push_back(n.name());
  const std::vector<std::string> order{
      "CumulorVersion", "Files", "Columns", "Flags_Show", "ColumnsBr", "ColumnsTsk", "DisabledSuas", "WarnableSuas",
      "DefaultHome", "BrowserCategory", "ThermalQuery", "Rules", "TerrainSafetyMargin", "Grid", "UserSerial",
      "ConeEnabled", "ConeSerial", "MapSymbols", "Menu", "NavBar", "SerialPort", "Bugs", "TimeZone", "FixRate",
      "SuaDistX", "SuaDistY", "SuaAudio1", "SuaAudio2", "SuaAudio3", "FGSafetyMargin", "MapOrientation", "LabelLen",
      "UnitsAltitude", "UnitsClimb", "UnitsDistance", "UnitsSpeed", "Zoom", "MagBias", "Declaration", "GridTeam",
      "FinalGlide", "CurrentPos", "Contours", "Fonts", "Flags1", "Flags2", "Flags3"};
  std::vector<std::string> present;
  for (const std::string& name : order)
    if (std::find(names.begin(), names.end(), name) != names.end()) present.push_back(name);
  EXPECT_EQ(names, present);
  EXPECT_EQ(std::string(doc.document_element().child("Declaration").child_value("Pilot")), "A <B> & \"C\"");
}

// An element the mode skips, or a value outside its accepted set, leaves the document as it was;
// the control shows the element does change it when it is taken.
TEST_F(SettingsDocument, LoadModesAndAcceptedValues) {
  struct Case {
    const char* name;
    std::int32_t mode;
    std::string element;
    const char* control;  // taken in the main mode; "=": the element itself
  };
  // A whole block of `count` bytes of value 5 as an element.
  auto block = [](const char* name, int count) {
    std::string text = "<" + std::string(name) + ">" + std::to_string(count);
    for (int i = 0; i < count; ++i) text += ",5";
    return text + "</" + name + ">";
  };
  const Case cases[] = {
      {"profile zoom", kSettingsProfile, "<Zoom>9</Zoom>", "<Zoom>9</Zoom>"},
      {"profile fonts", kSettingsProfile, "<Fonts><MediumFont height=\"31\" weight=\"700\">Serif</MediumFont></Fonts>",
       "<Fonts><MediumFont height=\"31\" weight=\"700\">Serif</MediumFont></Fonts>"},
      {"profile declaration", kSettingsProfile, "<Declaration><Pilot>P</Pilot></Declaration>",
       "<Declaration><Pilot>P</Pilot></Declaration>"},
      {"desktop files", kSettingsDesktop, "<Files><UserWaypoints><File1 path=\"\\x\">a.cup</File1></UserWaypoints></Files>", nullptr},
      {"desktop columns", kSettingsDesktop, block("Columns", 32), "="},
      {"desktop columns br", kSettingsDesktop, block("ColumnsBr", 16), "="},
      {"desktop nav bar", kSettingsDesktop, "<NavBar><Lock>1</Lock></NavBar>", "<NavBar><Lock>1</Lock></NavBar>"},
      {"desktop bugs", kSettingsDesktop, "<Bugs>20</Bugs>", "<Bugs>20</Bugs>"},
      {"desktop time zone", kSettingsDesktop, "<TimeZone>7</TimeZone>", "<TimeZone>7</TimeZone>"},
      {"desktop final glide", kSettingsDesktop, block("FinalGlide", 112), "="},
      {"distance unit 7", kSettingsMain, "<UnitsDistance>7</UnitsDistance>", "<UnitsDistance>8</UnitsDistance>"},
      {"safety margin 2000", kSettingsMain, "<FGSafetyMargin>2000</FGSafetyMargin>", "<FGSafetyMargin>1999</FGSafetyMargin>"},
      {"negative margin", kSettingsMain, "<FGSafetyMargin>-1</FGSafetyMargin>", "<FGSafetyMargin>0</FGSafetyMargin>"},
      {"port without speed", kSettingsMain, "<SerialPort>4</SerialPort>", "<SerialPort speed=\"9600\">4</SerialPort>"},
      {"port with a second attribute", kSettingsMain, "<SerialPort speed=\"9600\" x=\"1\">4</SerialPort>", nullptr},
      {"zoom beyond the table", kSettingsMain, "<Zoom>12</Zoom>", "<Zoom>11</Zoom>"},
      {"short byte block", kSettingsMain, "<ColumnsTsk>44,1,2</ColumnsTsk>", nullptr},
      {"wrong block count", kSettingsMain, "<DisabledSuas>15,1,1,1</DisabledSuas>", nullptr},
      {"int without text", kSettingsMain, "<FixRate></FixRate>", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Restart();
    const std::string before = Written();
    Apply(std::string("<Settings>") + c.element + "</Settings>", c.mode);
    EXPECT_EQ(Written(), before);
    if (c.control) {
      const std::string control = std::strcmp(c.control, "=") == 0 ? c.element : std::string(c.control);
      Apply("<Settings>" + control + "</Settings>", kSettingsMain);
      EXPECT_NE(Written(), before);
    }
  }

  // "HiResInit" before "MapSymbols" has the symbols skipped; after it they are read.
  Restart();
  const std::string before = Written();
  Apply("<Settings><HiResInit></HiResInit><MapSymbols><Scale>50</Scale></MapSymbols></Settings>", kSettingsMain);
  EXPECT_EQ(Written(), before);
}

// A "Home" or "Radial" without a turnpoint is skipped: the elements after it and the module steps
// are still applied.
TEST_F(SettingsDocument, AHomeWithoutATurnpointIsSkipped) {
  for (const char* element : {"<Home />", "<Home></Home>", "<Radial></Radial>", "<Home><Turnpoint><name>none</name></Turnpoint></Home>"}) {
    SCOPED_TRACE(element);
    Restart();
    Apply(std::string("<Settings>") + element + "<TimeZone>3</TimeZone><ConeSerial>8</ConeSerial></Settings>",
          kSettingsMain);
    EXPECT_EQ(app->timeZone, 3);
    EXPECT_EQ(KeptSettings().coneSerial, 8);
    EXPECT_EQ(HomePoint().kind, 0);
  }
}

// A save that fails leaves the previous document byte for byte and reports the failure.
TEST_F(SettingsDocument, AFailedSaveLeavesThePreviousDocument) {
  ASSERT_EQ(SaveSettingsFile(*app, nullptr, nullptr), 1);
  const std::string old = Bytes(HostPath("KV_SETTINGS.xml"));
  ASSERT_FALSE(old.empty());
  app->timeZone = 9;
  for (int step = 0; step < 4; ++step) {
    SCOPED_TRACE(step);
    FileSystemSeam::Get().Reset();
    if (step == 0) FileSystemSeam::Get().FailCall(FileCall::kCreate, ERROR_ACCESS_DENIED);
    if (step == 1) FileSystemSeam::Get().FailCall(FileCall::kWrite, ERROR_WRITE_FAULT);
    if (step == 2) FileSystemSeam::Get().SetRoomLeft(old.size() / 2);
    if (step == 3) FileSystemSeam::Get().FailCall(FileCall::kMove, ERROR_SHARING_VIOLATION);
    EXPECT_EQ(SaveSettingsFile(*app, nullptr, nullptr), 0);
    EXPECT_EQ(Bytes(HostPath("KV_SETTINGS.xml")), old);
  }
  FileSystemSeam::Get().Reset();
  // A profile name with markup characters is written and read back.
  XmlNode top = XmlNode::ConstructTop();
  ASSERT_EQ(SaveSettingsFile(*app, Path(u"\\p.xml").c_str(), "Club <2> & \"x\""), 1);
  ASSERT_EQ(XmlParseFile(Path(u"\\p.xml").c_str(), top), kXmlParsed);
  EXPECT_STREQ(top.Child(0)->GetChildText("Profile"), "Club <2> & \"x\"");
}

// Every cut of a written document, and bytes out of place, load without a fault; a cut document
// with its declaration read is still a document, a missing or empty file is result 2.
TEST_F(SettingsDocument, BrokenAndTruncatedDocuments) {
  Apply(kChanged, kSettingsMain);
  XmlNode top = XmlNode::ConstructTop();
  BuildSettingsDocument(*app, top);
  std::string text;
  XmlWriteDocument(top, text);
  for (std::size_t cut = 0; cut < text.size(); cut += 7) {
    XmlNode parsed = XmlNode::ConstructTop();
    if (XmlParseBytes(text.data(), static_cast<std::int32_t>(cut), parsed) == kXmlParsed && parsed.ChildCount() > 0)
      ApplySettingsDocument(*app, *parsed.Child(0), kSettingsMain);
  }
  std::string noisy = text;
  for (std::size_t i = 40; i < noisy.size(); i += 53) noisy[i] = static_cast<char>((i * 37) & 0xFF);
  std::ofstream(HostPath("noisy.xml"), std::ios::binary) << noisy;
  const std::int32_t result = LoadSettingsFile(*app, Path(u"\\noisy.xml").c_str(), kSettingsMain);
  EXPECT_TRUE(result == 0 || result == 11) << result;

  EXPECT_EQ(LoadSettingsFile(*app, Path(u"\\missing.xml").c_str(), kSettingsMain), 2);
  std::ofstream(HostPath("empty.xml"), std::ios::binary);
  EXPECT_EQ(LoadSettingsFile(*app, Path(u"\\empty.xml").c_str(), kSettingsMain), 2);
  std::ofstream(HostPath("broken.xml"), std::ios::binary) << "<Settings><TimeZone>4</TimeZone><Fix";
  EXPECT_EQ(LoadSettingsFile(*app, Path(u"\\broken.xml").c_str(), kSettingsMain), 11);
}

// Start-up: the install documents change only the elements they hold and are deleted, a broken one
// too; an empty one is left (it counts as missing).
TEST_F(SettingsDocument, TheInstallDocumentsAreMergedOnceAndDeleted) {
  app->timeZone = 1;
  ASSERT_EQ(SaveSettingsFile(*app, nullptr, nullptr), 1);
  std::ofstream(HostPath("KV_SETTINGS_INSTALL1.xml"), std::ios::binary)
      << "<Settings><TimeZone>6</TimeZone><FixRate>3</FixRate></Settings>";
  std::ofstream(HostPath("KV_SETTINGS_INSTALL2.xml"), std::ios::binary) << "<Settings><FixRate>5</Fix";
  Restart();
  LoadAllSettings(*app);
  EXPECT_EQ(app->timeZone, 6);
  EXPECT_EQ(app->fixRate, 3);
  EXPECT_FALSE(std::filesystem::exists(HostPath("KV_SETTINGS_INSTALL1.xml")));
  EXPECT_FALSE(std::filesystem::exists(HostPath("KV_SETTINGS_INSTALL2.xml")));

  std::ofstream(HostPath("KV_SETTINGS_INSTALL2.xml"), std::ios::binary);
  LoadAllSettings(*app);
  EXPECT_TRUE(std::filesystem::exists(HostPath("KV_SETTINGS_INSTALL2.xml")));
}

}  // namespace
