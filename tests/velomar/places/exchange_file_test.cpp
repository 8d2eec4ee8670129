// The exchange file "\Velomar.xml": an export read back by an independent XML reader, an export
// followed by an import into a fresh volume, failed saves, and files that are broken or odd.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "platform/kernel/device_folder.h"
#include "platform/text/format.h"
#include "platform/text/utf.h"
#include "platform/xml/msxml.h"
#include "platform/xml/xml_test_seam.h"
#include "tests/velomar/places/places_fixture.h"

namespace {

using places_test::PlacesTest;

class ExchangeFileTest : public PlacesTest {
 protected:
  void SetUp() override {
    PlacesTest::SetUp();
    db().OpenDB();
  }

  static std::filesystem::path ExchangeFile() { return ce::DeviceRootFolder() / "Velomar.xml"; }
  static void WriteExchangeFile(const std::string& bytes) { std::ofstream(ExchangeFile(), std::ios::binary) << bytes; }

  static SYSTEMTIME Time(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second) {
    return SYSTEMTIME{year, month, 0, day, hour, minute, second, 0};
  }

  // Every place with its cells, LACs, periods and actions as text, by place name (keys differ
  // between volumes, except the default place's).
  std::string Snapshot() {
    std::ostringstream out;
    std::vector<CStrPlace> all;
    places().GetAllRecords(all);
    for (const CStrPlace& place : all) {
      out << "place " << ce::text::ToUtf8(place.GetName()) << "|" << ce::text::ToUtf8(place.GetDescription()) << "|"
          << ce::text::ToUtf8(place.GetImage()) << (place.GetIdPlace() == 0 ? " default" : "") << "\n";
      for (CTableLocation* table : {static_cast<CTableLocation*>(&cells()), static_cast<CTableLocation*>(&lacs())}) {
        LocationList rows;
        table->GetRecordsOfPlace(rows, place.GetIdPlace());
        for (const auto& row : rows) out << "  " << (table == &cells() ? "cell " : "lac ") << row->GetValue() << "\n";
      }
      std::vector<CStrPeriod> list;
      periods().GetAllRecordsForPlace(list, place.GetIdPlace());
      for (const CStrPeriod& period : list) {
        out << "  period " << ce::text::ToUtf8(period.GetName()) << " " << period.GetBegin().wHour << ":"
            << period.GetBegin().wMinute << "-" << period.GetEnd().wHour << ":" << period.GetEnd().wMinute << "\n";
        std::vector<CStrAction> acts;
        actions().GetActionsOfPeriod(acts, period.GetKey());
        for (const CStrAction& a : acts) {
          out << "    action " << a.GetKind() << " " << a.GetTrigger() << " " << a.GetIntOp1() << " " << a.GetIntOp2()
              << " " << a.GetIntOp3() << " [" << ce::text::ToUtf8(a.GetSzOp1()) << "|"
              << ce::text::ToUtf8(a.GetSzOp2()) << "|" << ce::text::ToUtf8(a.GetSzOp3()) << "]";
          for (const SYSTEMTIME& t : {a.GetStOp1(), a.GetStOp2(), a.GetStOp3()})
            out << " " << t.wYear << "-" << t.wMonth << "-" << t.wDay << "T" << t.wHour << ":" << t.wMinute << ":"
                << t.wSecond;
          out << "\n";
        }
      }
    }
    return out.str();
  }

  // The boxes shown since the last call, as "text" or "Error box: text".
  static std::vector<std::u16string> Boxes() {
    std::vector<std::u16string> texts;
    for (const auto& box : teskautils::seam::TakeShownBoxes())
      texts.push_back(box.caption == u"Error" ? u"Error box: " + box.text : box.text);
    return texts;
  }

  // Home (key 1): two cells, a LAC and two periods with actions; Work (key 2): a LAC; the default
  // place renamed.
  void FillSample() {
    CStrPlace unknown(u"Somewhere", u"not known", u"place_unknown.png", 0);
    places().Update(unknown);
    const int home = AddPlace(u"Home").GetIdPlace();
    const int work = AddPlace(u"Wörk ñ").GetIdPlace();
    AddLocation(cells(), 4711, home);
    AddLocation(cells(), 12, home);
    AddLocation(lacs(), 56, home);
    AddLocation(lacs(), 57, work);
    AddLocation(cells(), 99, 0);
    const CStrPeriod night = AddPeriod(home, u"Night", 22, 0, 7, 0);
    const CStrPeriod day = AddPeriod(home, u"Day", 7, 0, 22, 0);
    CStrAction speaker;
    speaker.SetIdPeriod(night.GetKey());
    speaker.SetKind(2);
    speaker.SetTrigger(0);
    speaker.SetIntOp1(1);
    speaker.SetIntOp2(1000001);
    speaker.SetIntOp3(-7);
    speaker.SetSzOp1(u"one");
    speaker.SetSzOp3(u"three & <more>");
    speaker.SetStOp1(Time(2026, 6, 1, 22, 0, 5));
    speaker.SetStOp2(Time(2027, 1, 31, 0, 0, 0));
    speaker.SetStOp3(Time(2025, 12, 24, 18, 30, 59));
    actions().Insert(speaker);
    CStrAction ring = speaker;
    ring.SetKind(16);
    ring.SetTrigger(1);
    ring.SetSzOp1(u"\\Windows\\ring.wav");
    actions().Insert(ring);
    CStrAction phone = speaker;
    phone.SetIdPeriod(day.GetKey());
    phone.SetKind(6);
    actions().Insert(phone);
  }
};

TEST_F(ExchangeFileTest, ExportThenImportIntoAFreshVolumeGivesTheSameData) {
  FillSample();
  const std::string before = Snapshot();
  db().ExportXML();
  EXPECT_EQ(Boxes(), (std::vector<std::u16string>{u"Data exported to \\Velomar.xml"}));

  db().CloseDB();
  std::filesystem::remove(ce::DeviceRootFolder() / "Program Files/Velomar/quarn.db");
  db().OpenDB();
  db().ImportXML();
  EXPECT_EQ(Boxes(), (std::vector<std::u16string>{u"Data imported from \\Velomar.xml"}));
  EXPECT_EQ(Snapshot(), before);
  int total = 0;
  EXPECT_TRUE(db().CheckIntegrity(total));
  EXPECT_EQ(total, 3 + 2 + 3 + 2 + 3);
}

TEST_F(ExchangeFileTest, AnIndependentReaderFindsTheElementTreeAndAttributeOrder) {
  const CStrPlace home = AddPlace(u"Home");
  AddLocation(cells(), 4711, home.GetIdPlace());
  AddLocation(cells(), 12, home.GetIdPlace());
  AddLocation(lacs(), 56, home.GetIdPlace());
  const CStrPeriod night = AddPeriod(home.GetIdPlace(), u"Night", 22, 0, 7, 0);
  CStrAction action;
  action.SetIdPeriod(night.GetKey());
  action.SetKind(2);
  action.SetIntOp1(1);
  action.SetSzOp3(u"3rd");
  action.SetStOp1(Time(2026, 6, 1, 22, 0, 5));
  action.SetStOp2(Time(2027, 1, 31, 0, 0, 0));
  action.SetStOp3(Time(2025, 12, 24, 18, 30, 59));
  actions().Insert(action);
  db().ExportXML();
  ASSERT_TRUE(std::filesystem::exists(ExchangeFile()));

  const std::string command = std::string("\"") + PYTHON3_PROGRAM + "\" \"" + EXCHANGE_FILE_READER + "\" \"" +
                              ExchangeFile().string() + "\"";
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string output;
  char chunk[4096];
  for (std::size_t n; (n = fread(chunk, 1, sizeof chunk, pipe)) > 0;) output.append(chunk, n);
  ASSERT_EQ(pclose(pipe), 0) << output;
  EXPECT_EQ(output,
            "Velomar\n"
            "  place name=Home description=Home description image=Home.png id=1\n"
            "    cell id=12\n"
            "    cell id=4711\n"
            "    lac id=56\n"
            "    schedule name=Night begin_hour=22 begin_minute=0 end_hour=7 end_minute=0\n"
            "      action id=2 type=0 arg_int_1=1 arg_int_2=0 arg_int_3=-1 arg_char_1= arg_char_2= arg_char_3=3rd"
            " arg_time_1_year=2026 arg_time_1_month=6 arg_time_1_day=1 arg_time_1_hour=22 arg_time_1_minute=0"
            " arg_time_1_second=5"
            " arg_time_2_year=2027 arg_time_2_month=1 arg_time_2_day=31 arg_time_2_hour=0 arg_time_2_minute=0"
            " arg_time_2_second=0"
            " arg_time_3_year=2025 arg_time_3_month=12 arg_time_3_day=24 arg_time_3_hour=18 arg_time_3_minute=30"
            " arg_time_3_second=59\n"
            "  place name=Unknown description=Default place image=place_unknown.png id=0\n");
}

TEST_F(ExchangeFileTest, AFailedExportSaysSoAndKeepsTheOldFile) {
  std::filesystem::create_directory(ExchangeFile());  // a folder where the file goes
  db().ExportXML();
  EXPECT_EQ(Boxes(), (std::vector<std::u16string>{u"Error box: The file \\Velomar.xml could not be written."}));
  std::filesystem::remove(ExchangeFile());

  WriteExchangeFile("<Velomar/>");
  ce::xml::FailNextDocumentCreation(E_FAIL);
  db().ExportXML();
  EXPECT_EQ(Boxes(), (std::vector<std::u16string>{u"Error box: The file \\Velomar.xml could not be written."}));
  std::ifstream in(ExchangeFile(), std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "<Velomar/>");

  ce::xml::FailNextDocumentCreation(E_FAIL);
  db().ImportXML();
  EXPECT_EQ(Boxes(), (std::vector<std::u16string>{u"Error box: The file could not be read."}));
}

TEST_F(ExchangeFileTest, AFileThatCannotBeReadInsertsNothing) {
  const struct {
    const char* name;
    const char* bytes;  // null: no file
  } cases[] = {
      {"missing", nullptr},
      {"empty", ""},
      {"not XML", "Velomar,place,Home\n1,2,3\n"},
      {"cut short", "<Velomar><place name=\"Home\" id=\"4\"><cell id=\"1\"/>"},
      {"binary", "\x89PNG\r\n\x1a\n\x00\x00\x00\rIHDR"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove(ExchangeFile());
    if (c.bytes) WriteExchangeFile(c.bytes);
    db().ImportXML();
    EXPECT_EQ(Boxes(), (std::vector<std::u16string>{u"Error box: The file could not be read."}));
    EXPECT_EQ(db().CountRecords(), 1);
  }
}

TEST_F(ExchangeFileTest, WhatAnImportTakesFromAnOddFile) {
  WriteExchangeFile(
      "<?xml version=\"1.0\"?>\n"
      "<Other>\n"
      "  <Place name=\"case differs\" id=\"5\"/>\n"
      "  <place name=\"no id\"><cell id=\"900\"/><lac id=\"901\"/>"
      "<schedule name=\"s\"><action id=\"2\"/></schedule></place>\n"
      "  <place name=\"Numbers\" id=\"77\">\n"
      "    <cell id=\"12abc\"/><cell id=\"abc\"/><cell/><cell id=\" 14\"/><Cell id=\"13\"/>\n"
      "    <lac id=\" -5\"/><lac id=\"99999999999\"/><lac id=\"815\"/><note/>\n"
      "    <schedule name=\"odd\" begin_minute=\"30\" end_hour=\"8\">\n"
      "      <action id=\"3\" arg_int_2=\"-1\" arg_char_3=\"kept\" arg_time_1_year=\"2030\"/>\n"
      "    </schedule>\n"
      "    <schedule name=\"letters\" begin_hour=\"zz\"><action id=\"4\"/></schedule>\n"
      "    <schedule name=\"hour 99\" begin_hour=\"99\"/><schedule name=\"minute 61\" end_minute=\"61\"/>\n"
      "    <schedule name=\"negative\" end_hour=\"-1\"/>\n"
      "  </place>\n"
      "  text between places\n"
      "</Other>\n");
  db().ImportXML();
  // Rows that cannot be stored as they stand are skipped and counted: three cells, two LACs and
  // four schedules (the second with its action).
  EXPECT_EQ(Boxes(), (std::vector<std::u16string>{
                         u"Data imported from \\Velomar.xml\n9 rows with a value out of range were skipped."}));
  std::vector<CStrPlace> all;
  places().GetAllRecords(all);
  ASSERT_EQ(all.size(), 2u);
  const CStrPlace& numbers = all[0];
  EXPECT_EQ(numbers.GetName(), u"Numbers");
  EXPECT_EQ(numbers.GetIdPlace(), 1);  // a new key, not the file's
  EXPECT_EQ(numbers.GetDescription(), u"");

  LocationList rows;
  cells().GetAllRecords(rows);
  ASSERT_EQ(rows.size(), 1u);  // " 14"; nothing of the place without id
  EXPECT_EQ(rows[0]->GetValue(), 14);
  rows.clear();
  lacs().GetAllRecords(rows);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0]->GetValue(), 815);
  EXPECT_EQ(rows[0]->GetPlace(), 1);

  std::vector<CStrPeriod> list;
  periods().GetAllRecords(list);
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].GetBegin().wHour, 0);
  EXPECT_EQ(list[0].GetBegin().wMinute, 30);
  EXPECT_EQ(list[0].GetEnd().wHour, 8);
  std::vector<CStrAction> acts;
  actions().GetAllRecords(acts);
  ASSERT_EQ(acts.size(), 1u);
  EXPECT_EQ(acts[0].GetIdPeriod(), list[0].GetKey());
  EXPECT_EQ(acts[0].GetKind(), 3);
  EXPECT_EQ(acts[0].GetIntOp1(), -1);
  EXPECT_EQ(acts[0].GetIntOp2(), 0);
  EXPECT_EQ(acts[0].GetSzOp3(), u"kept");
  EXPECT_EQ(acts[0].GetStOp1().wYear, 2030);
  int total = 0;
  EXPECT_TRUE(db().CheckIntegrity(total));
}

TEST_F(ExchangeFileTest, AFailureHalfwayKeepsWhatWasInsertedAndSaysTheFileCouldNotBeRead) {
  WriteExchangeFile(
      "<Velomar><place name=\"A\" id=\"3\"><cell id=\"7\"/></place>"
      "<place name=\"B\" id=\"4\"><cell id=\"7\"/><lac id=\"8\"/></place>"
      "<place name=\"C\" id=\"5\"/></Velomar>");
  db().ImportXML();
  EXPECT_EQ(Boxes(), (std::vector<std::u16string>{u"Error box: The file could not be read."}));
  std::vector<CStrPlace> all;
  places().GetAllRecords(all);
  std::vector<std::u16string> names;
  for (const auto& place : all) names.push_back(place.GetName());
  EXPECT_EQ(names, (std::vector<std::u16string>{u"A", u"B", u"Unknown"}));
  EXPECT_EQ(cells().CountRecords(), 1);
  EXPECT_EQ(lacs().CountRecords(), 0);
}

}  // namespace
