#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "cumulor/data/files/data_files.h"
#include "platform/libraries/library_seam.h"
#include "platform/testing/device_test.h"

namespace cumulor {
namespace {

DataFileEntry Entry(const char16_t* name, const char16_t* folder = u"") {
  DataFileEntry e = NewDataFileEntry();
  SetEntryText(e.name, name);
  SetEntryText(e.folder, folder);
  return e;
}

class DataFiles : public ce::testing::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    ce::libraries::LibrarySeam::Get().Reset();
    for (std::int32_t c = 0; c < kDataFileTypeCount; ++c) {
      SelectedDataFiles()[c].selected.SetSize(0);
      AvailableDataFiles()[c].SetSize(0);
    }
    SetDataFileFlags(0);
    SetDataFilesFolder(u"\\Data");
  }
  void TearDown() override {
    ce::libraries::LibrarySeam::Get().Reset();
    DeviceTest::TearDown();
  }
  void Touch(const std::string& relative) {
    auto p = device_folder() / "root" / relative;
    std::filesystem::create_directories(p.parent_path());
    std::ofstream(p) << "x";
  }
  static std::u16string Names(const PathList& list) {
    std::u16string out;
    for (const DataFileEntry& e : list) out += std::u16string(e.folder) + u"|" + e.name + u";";
    return out;
  }
};

TEST_F(DataFiles, EntriesCompareByNameThenFolderAndListsByEveryEntry) {
  EXPECT_TRUE(DataFileEntryEquals(Entry(u"a.ka1"), Entry(u"a.ka1")));
  EXPECT_FALSE(DataFileEntryEquals(Entry(u"a.ka1"), Entry(u"A.ka1")));
  EXPECT_FALSE(DataFileEntryEquals(Entry(u"a.ka1"), Entry(u"a.ka1", u"\\Storage Card")));
  PathList a, b;
  EXPECT_TRUE(PathListEquals(a, b));
  a.Append(Entry(u"one.txt"));
  EXPECT_FALSE(PathListEquals(a, b));
  b.Append(Entry(u"one.txt"));
  EXPECT_TRUE(PathListEquals(a, b));
  a.Append(Entry(u"two.txt", u"\\IPSM"));
  b.Append(Entry(u"two.txt"));
  EXPECT_FALSE(PathListEquals(a, b));
  // Names over 63 characters are cut; the handle slot of a new entry is -1.
  std::u16string longName(80, u'n');
  DataFileEntry e = Entry(longName.c_str());
  EXPECT_EQ(std::u16string(e.name), longName.substr(0, 63));
  EXPECT_EQ(e.handle, -1);
  EXPECT_EQ(AddUniqueFile(a, Entry(u"one.txt")), -1);
  EXPECT_EQ(AddUniqueFile(a, Entry(u"one.txt", u"\\IPSM")), 2);
}

TEST_F(DataFiles, FilesRoundTripAndAnEqualListSetsNoFlag) {
  SelectedDataFiles()[kFilesAviationDb].selected.Append(Entry(u"us.ka1"));
  SelectedDataFiles()[kFilesAviationDb].selected.Append(Entry(u"eu.ka1", u"\\Storage Card"));
  SelectedDataFiles()[kFilesCountries].selected.Append(Entry(u"USA, Texas"));
  SelectedDataFiles()[kFilesTerrain].selected.Append(Entry(u"alps.kv3"));
  XmlNode root = XmlNode::ConstructTop();
  SaveDataFileLists(root);
  const XmlNode* files = root.FindChild("Files");
  ASSERT_NE(files, nullptr);
  ASSERT_EQ(files->ChildCount(), 3);  // empty categories are left out
  const XmlNode* aero = files->FindChild("AviationDb");
  ASSERT_NE(aero, nullptr);
  EXPECT_STREQ(aero->GetChildText("File1"), "us.ka1");
  EXPECT_STREQ(aero->FindChild("File2")->GetAttribute("path"), "\\Storage Card");
  EXPECT_EQ(aero->FindChild("File1")->GetAttribute("path"), nullptr);

  int reloads = 0, setups = 0;
  DataFileLoadHooks hooks;
  hooks.reload = [&](std::int32_t type) {
    EXPECT_EQ(type, 9);
    ++reloads;
  };
  hooks.setupFinished = [&] { ++setups; };
  const std::u16string before = Names(SelectedDataFiles()[kFilesAviationDb].selected);
  SelectedDataFiles()[kFilesUserAirspace].selected.Append(Entry(u"alps.txt"));
  LoadDataFileLists(*files, 1, hooks);
  EXPECT_EQ(Names(SelectedDataFiles()[kFilesAviationDb].selected), before);
  for (std::int32_t c = 0; c < kDataFileTypeCount; ++c) EXPECT_EQ(GetDataFileFlag(c), 0) << c;
  EXPECT_EQ(reloads, 0);
  EXPECT_EQ(setups, 1);
  // A category without an element keeps its list.
  EXPECT_EQ(SelectedDataFiles()[kFilesUserAirspace].selected.Size(), 1);

  // A changed list replaces the selection and is flagged; trailing blanks are dropped.
  XmlNode doc = XmlNode::ConstructTop();
  XmlNode* f = doc.AddChild("Files");
  XmlNode* terrain = f->AddChild("Terrain");
  terrain->AddChildString("File1", "dolomites.kv3   ");
  terrain->AddChildString("Anything", "alps.kv3")->AddAttribute("path", "\\IPSM");
  f->AddChild("Unknown")->AddChildString("File1", "x");
  LoadDataFileLists(*f, 1, hooks);
  EXPECT_EQ(Names(SelectedDataFiles()[kFilesTerrain].selected), u"|dolomites.kv3;\\IPSM|alps.kv3;");
  EXPECT_EQ(GetDataFileFlag(kFilesTerrain), 1);
  EXPECT_EQ(GetDataFileFlag(kFilesAviationDb), 0);
  EXPECT_EQ(reloads, 1);
  EXPECT_EQ(std::u16string(GetDataFilePath(kFilesTerrain)), u"\\Data\\dolomites.kv3");
  EXPECT_EQ(std::u16string(GetDataFileFullPath(SelectedDataFiles()[kFilesTerrain].selected[1])), u"\\IPSM\\alps.kv3");
}

TEST_F(DataFiles, TheDataFolderAndEveryCardAreSearched) {
  Touch("Data/us.ka1");
  Touch("Storage Card/us.ka1");
  Touch("Storage Card/alps.txt");
  Touch("Data/notes.doc");
  ScanDataFiles();
  ASSERT_EQ(CardFolderCount(), 1);
  EXPECT_EQ(std::u16string(CardFolder(0)), u"\\Storage Card");
  EXPECT_EQ(Names(AvailableDataFiles()[kFilesAviationDb]), u"|us.ka1;\\Storage Card|us.ka1;");
  EXPECT_EQ(Names(AvailableDataFiles()[kFilesUserAirspace]), u"\\Storage Card|alps.txt;");
  EXPECT_TRUE(AvailableDataFiles()[kFilesCountries].Empty());

  // Without the card library the fixed folders are searched, "\Storage Card" first.
  ce::libraries::LibrarySeam::Get().SetAbsent(u"note_prj.dll");
  Touch("IPSM/eu.ka1");
  ScanDataFiles();
  ASSERT_EQ(CardFolderCount(), 2);
  EXPECT_EQ(std::u16string(CardFolder(0)), u"\\Storage Card");
  EXPECT_EQ(std::u16string(CardFolder(1)), u"\\IPSM");
  EXPECT_EQ(Names(AvailableDataFiles()[kFilesAviationDb]), u"|us.ka1;\\Storage Card|us.ka1;\\IPSM|eu.ka1;");
}

TEST_F(DataFiles, AtMostFiveCardsAreTaken) {
  std::ofstream list(device_folder() / "storage_cards.txt");
  for (int i = 1; i <= 7; ++i) {
    Touch("Card" + std::to_string(i) + "/x.shp");
    list << "Card" << i << "\n";
  }
  list.close();
  ScanDataFiles();
  ASSERT_EQ(CardFolderCount(), 5);
  EXPECT_EQ(AvailableDataFiles()[kFilesShape].Size(), 5);
}

TEST_F(DataFiles, NamesAndFoldersOverSixtyThreeCharactersAreCut) {
  // A card and a file name of 70 characters each: the card folder is searched whole, while the
  // entry keeps 63 characters of each and its terminator.
  const std::string card(70, 'c');
  const std::string file = std::string(66, 'f') + ".ka1";
  std::ofstream(device_folder() / "storage_cards.txt") << card << "\n";
  Touch(card + "/" + file);
  ScanDataFiles();
  ASSERT_EQ(CardFolderCount(), 1);
  EXPECT_EQ(std::u16string(CardFolder(0)).size(), 71u);
  ASSERT_EQ(AvailableDataFiles()[kFilesAviationDb].Size(), 1);
  const DataFileEntry& found = AvailableDataFiles()[kFilesAviationDb][0];
  EXPECT_EQ(std::u16string(found.name), std::u16string(63, u'f'));
  EXPECT_EQ(std::u16string(found.folder), u"\\" + std::u16string(62, u'c'));
  EXPECT_EQ(found.name[63], 0);
  EXPECT_EQ(found.folder[63], 0);

  // The same cut for a name and a folder read from "Files".
  XmlNode doc = XmlNode::ConstructTop();
  XmlNode* files = doc.AddChild("Files");
  files->AddChild("Shape")->AddChildString("File1", std::string(80, 's').c_str())->AddAttribute(
      "path", ("\\" + std::string(80, 'p')).c_str());
  LoadDataFileLists(*files, 1, DataFileLoadHooks{});
  ASSERT_EQ(SelectedDataFiles()[kFilesShape].selected.Size(), 1);
  EXPECT_EQ(std::u16string(SelectedDataFiles()[kFilesShape].selected[0].name), std::u16string(63, u's'));
  EXPECT_EQ(std::u16string(SelectedDataFiles()[kFilesShape].selected[0].folder).size(), 63u);
}

}  // namespace
}  // namespace cumulor
