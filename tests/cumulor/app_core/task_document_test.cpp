// The task document and the desktop's task file: slots written and read back (a point named with
// markup characters, an area point, the achieved list), documents that stop or skip, unknown
// points, the statistics file kept or deleted, and the desktop import with its 20 slots.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app_fixture.h"
#include "cumulor/app/core/task_document.h"
#include "cumulor/app/base/xml_reader.h"
#include "cumulor/app/base/xml_writer.h"
#include "cumulor/app/core/settings_document.h"
#include "cumulor/app/core/map_ops.h"
#include "cumulor/data/points/point_db.h"
#include "cumulor/data/points/point_texts.h"
#include "cumulor/data/sync/desktop_sync.h"
#include "cumulor/data/task/task_slots.h"
#include "cumulor/data/task/task_store.h"
#include "cumulor/data/waypoints/user_waypoint_store.h"
#include "cumulor/nav/gps/gps_port.h"
#include "cumulor/nav/stats/flight_stats.h"
#include "platform/files/file_system_seam.h"

namespace {

using namespace cumulor;

class TaskDocument : public cumulor_test::AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    ClearUserWaypoints();
    TaskTargetsStore() = TaskTargets{};
    // Waypoints 1..3; the second is named with markup characters.
    const char* const names[] = {"Alpha", "B <&> \"q\"", "Gamma"};
    for (int i = 0; i < 3; ++i) {
      WaypointRecord w{};
      w.position = GeoPoint{400000 + i * 20000, 1700000 + i * 10000};
      w.flags = 0x1000;
      AddOrReplaceUserWaypoint(w, names[i]);
    }
  }
  void TearDown() override {
    ClearUserWaypoints();
    TaskTargetsStore() = TaskTargets{};
    AppTest::TearDown();
  }
  static TaskPoint Wp(std::int32_t index) {
    TaskPoint p;
    p.kind = kPointUserWaypoint;
    p.index = index;
    const GeoPoint at = PointRefPosition(p);
    p.lon = at.lon;
    p.lat = at.lat;
    return p;
  }
  static void Set(std::int32_t slot, std::vector<TaskPoint> points) {
    Tasks().slot[slot].SetSize(0);
    for (const TaskPoint& p : points) Tasks().slot[slot].Append(p);
  }
  static std::vector<std::int32_t> Indexes(std::int32_t slot) {
    std::vector<std::int32_t> out;
    for (const TaskPoint& p : Tasks().slot[slot]) out.push_back(p.index);
    return out;
  }
  std::filesystem::path Host(const char* name) { return device_folder() / "root" / name; }
  std::u16string Path(const char16_t* name) { return app->dataFolder.Get() + name; }
  void Write(const char* name, const std::string& text) { std::ofstream(Host(name), std::ios::binary) << text; }
  static std::vector<std::u16string> BoxTexts() {
    std::vector<std::u16string> out;
    for (const auto& s : ce::scripted::User::Get().shown())
      if (s.kind == ce::scripted::Kind::kDialog)
        for (const auto& t : s.texts) out.push_back(t);
    return out;
  }
  static bool Shown(const std::u16string& text) {
    for (const auto& t : BoxTexts())
      if (t.find(text) != std::u16string::npos) return true;
    return false;
  }
  // A "Turnpoint" of user waypoint `index` as the writer makes it.
  static std::string Turnpoint(const char* name, double lat, double lon) {
    return std::string("<Turnpoint><name>") + name + "</name><type>user waypoint</type><lat>" + std::to_string(lat) +
           "</lat><lon>" + std::to_string(lon) + "</lon></Turnpoint>";
  }
};

// Slots written and read back as they were: the markup name, an area point with its own
// position, the achieved list; slots the document does not name stay.
TEST_F(TaskDocument, SlotsReadBackAsWritten) {
  TaskPoint area = Wp(3);
  area.minRadius = 1000;
  area.maxRadius = 5000;
  area.startRadial = 90;
  area.endRadial = 270;
  area.lon += 360;
  area.lat -= 720;
  Set(0, {Wp(1), Wp(2), area});
  Set(7, {Wp(3), Wp(1)});
  Set(25, {Wp(2)});
  ASSERT_EQ(SaveTasksFile(*app, nullptr), 1);
  EXPECT_TRUE(std::filesystem::exists(Host("CumulorTask0.cup")));

  for (auto& slot : Tasks().slot) slot.SetSize(0);
  Set(12, {Wp(1)});  // not in the document: stays
  ASSERT_EQ(LoadTasksFile(*app, Path(u"\\KV_TASKS.xml").c_str()), 0);
  EXPECT_EQ(Indexes(0), (std::vector<std::int32_t>{1, 2, 3}));
  EXPECT_EQ(Indexes(7), (std::vector<std::int32_t>{3, 1}));
  EXPECT_EQ(Indexes(25), (std::vector<std::int32_t>{2}));
  EXPECT_EQ(Indexes(12), (std::vector<std::int32_t>{1}));
  const TaskPoint& read = Tasks().slot[0][2];
  EXPECT_EQ(read.lon, area.lon);
  EXPECT_EQ(read.lat, area.lat);
  EXPECT_EQ(read.minRadius, 1000);
  EXPECT_EQ(read.maxRadius, 5000);
  EXPECT_EQ(read.startRadial, 90);
  EXPECT_EQ(read.endRadial, 270);
  EXPECT_TRUE(BoxTexts().empty());
  // The last achieved point is the previous target.
  EXPECT_EQ(PreviousTarget().kind, kPointUserWaypoint);
  EXPECT_EQ(PreviousTarget().index, 2);

  // All slots empty: an empty "Tasks", which changes nothing when read.
  for (auto& slot : Tasks().slot) slot.SetSize(0);
  ASSERT_EQ(SaveTasksFile(*app, nullptr), 1);
  Set(4, {Wp(1)});
  ASSERT_EQ(LoadTasksFile(*app, Path(u"\\KV_TASKS.xml").c_str()), 0);
  EXPECT_EQ(Indexes(4), (std::vector<std::int32_t>{1}));
}

// Documents that stop, skip or name unknown points; missing and broken files change nothing.
TEST_F(TaskDocument, StoppedSkippedAndUnknown) {
  const GeoPoint a = PointRefPosition(Wp(1));
  const GeoPoint c = PointRefPosition(Wp(3));
  const std::string alpha = Turnpoint("Alpha", a.lat / 36000.0, a.lon / 36000.0);
  const std::string gamma = Turnpoint("Gamma", c.lat / 36000.0, c.lon / 36000.0);
  const std::string nowhere = Turnpoint("Nowhere", 10.0, 10.0);
  struct Case {
    const char* name;
    std::string document;
    std::vector<std::int32_t> slot1, slot2;  // expected; old contents {2} and {2, 2}
    const char16_t* message;
  };
  const std::vector<std::int32_t> old1{2}, old2{2, 2};
  const Case cases[] = {
      {"task without nr stops", "<Tasks><Task nr=\"1\">" + alpha + "</Task><Task>" + gamma + "</Task><Task nr=\"2\">" +
                                    gamma + "</Task></Tasks>",
       {1}, old2, nullptr},
      {"nr 30 and a word skipped", "<Tasks><Task nr=\"30\">" + alpha + "</Task><Task nr=\"x1\">" + alpha +
                                       "</Task><Task nr=\"-1\">" + alpha + "</Task><Task nr=\"2\">" + gamma + "</Task></Tasks>",
       old1, {3}, nullptr},
      {"other child stops", "<Tasks><Task nr=\"1\">" + alpha + "<Waypoint/></Task><Task nr=\"2\">" + gamma + "</Task></Tasks>",
       old1, old2, nullptr},
      {"unknown point left out", "<Tasks><Task nr=\"1\">" + alpha + nowhere + gamma + "</Task></Tasks>", {1, 3}, old2,
       u"Unable To Find Task Waypoint Nowhere"},
      {"only unknown points keep the slot", "<Tasks><Task nr=\"1\">" + nowhere + "</Task></Tasks>", old1, old2,
       u"Unable To Find Task Waypoint Nowhere"},
      {"empty task skipped", "<Tasks><Task nr=\"1\"></Task><Task nr=\"2\">" + alpha + "</Task></Tasks>", old1, {1}, nullptr},
      {"broken file", "<Tasks><Task nr=\"1\">" + alpha + "</Task><Task nr=\"2\"><Turnp", old1, old2, nullptr},
      {"no document", "", old1, old2, nullptr},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    ce::scripted::User::Get().Reset();
    Set(1, {Wp(2)});
    Set(2, {Wp(2), Wp(2)});
    Write("t.xml", k.document);
    LoadTasksFile(*app, Path(u"\\t.xml").c_str());
    EXPECT_EQ(Indexes(1), k.slot1);
    EXPECT_EQ(Indexes(2), k.slot2);
    if (k.message) EXPECT_TRUE(Shown(k.message));
    else EXPECT_TRUE(BoxTexts().empty());
  }
  std::filesystem::remove(Host("t.xml"));
  Set(1, {Wp(2)});
  EXPECT_EQ(LoadTasksFile(*app, Path(u"\\t.xml").c_str()), 2);
  EXPECT_EQ(Indexes(1), old1);

  // Every cut of a written document, and bytes out of place, read without a fault.
  Set(0, {Wp(1), Wp(2)});
  Set(25, {Wp(3)});
  XmlNode top = XmlNode::ConstructTop();
  BuildTasksDocument(top);
  std::string text;
  XmlWriteDocument(top, text);
  for (std::size_t cut = 0; cut < text.size(); cut += 5) {
    XmlNode parsed = XmlNode::ConstructTop();
    if (XmlParseBytes(text.data(), static_cast<std::int32_t>(cut), parsed) == kXmlParsed && parsed.ChildCount() > 0)
      ApplyTasksDocument(*app, *parsed.Child(0));
  }
  for (std::size_t i = 20; i < text.size(); i += 41) text[i] = static_cast<char>((i * 53) & 0xFF);
  Write("t.xml", text);
  LoadTasksFile(*app, Path(u"\\t.xml").c_str());
}

// A save that fails at any step reports it and leaves the previous document byte for byte.
TEST_F(TaskDocument, AFailedSaveLeavesThePreviousDocument) {
  using ce::files::FileCall;
  using ce::files::FileSystemSeam;
  Set(0, {Wp(1)});
  ASSERT_EQ(SaveTasksFile(*app, nullptr), 1);
  std::ifstream in(Host("KV_TASKS.xml"), std::ios::binary);
  const std::string old((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  Set(0, {Wp(1), Wp(2), Wp(3)});
  for (int step = 0; step < 3; ++step) {
    SCOPED_TRACE(step);
    FileSystemSeam::Get().Reset();
    if (step == 0) FileSystemSeam::Get().FailCall(FileCall::kCreate, ERROR_ACCESS_DENIED);
    if (step == 1) FileSystemSeam::Get().FailCall(FileCall::kWrite, ERROR_WRITE_FAULT);
    if (step == 2) FileSystemSeam::Get().FailCall(FileCall::kMove, ERROR_SHARING_VIOLATION);
    EXPECT_EQ(SaveTasksFile(*app, nullptr), 0);
    std::ifstream now(Host("KV_TASKS.xml"), std::ios::binary);
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(now)), std::istreambuf_iterator<char>()), old);
  }
  FileSystemSeam::Get().Reset();
}

// The desktop's synchronisation asks for its settings document (desktop mode: the time zone is
// not taken) and its task document.
TEST_F(TaskDocument, DesktopDocumentsThroughTheSynchronisation) {
  InstallDocumentHooks(*app);
  Write("KVSync_Files.bin", std::string(9 * 4, '\0'));
  Write("KV_SETTINGS_FROMDESKTOP.xml", "<Settings><TimeZone>7</TimeZone><FixRate>5</FixRate></Settings>");
  const GeoPoint c = PointRefPosition(Wp(3));
  Write("KV_TASKS_FROMDESKTOP.xml", "<Tasks><Task nr=\"3\">" + Turnpoint("Gamma", c.lat / 36000.0, c.lon / 36000.0) +
                                        "</Task></Tasks>");
  app->timeZone = 1;
  EXPECT_EQ(SynchronizeFiles(kSyncSettingsDocument | kSyncTasksDocument), S_OK);
  EXPECT_EQ(app->timeZone, 1);
  EXPECT_EQ(app->fixRate, 5);
  EXPECT_EQ(Indexes(3), (std::vector<std::int32_t>{3}));
}

// The statistics file is read back while points are achieved and deleted otherwise.
TEST_F(TaskDocument, StatisticsFileFollowsTheAchievedList) {
  StatsHooksInstalled().dataFolder = [](WCHAR* folder) {
    const std::u16string f = AppRecord()->dataFolder.Get();
    for (std::size_t i = 0; i <= f.size() && i < MAX_PATH; ++i) folder[i] = i < f.size() ? f[i] : 0;
  };
  app->stats.count = 3;
  app->stats.records[2].legDistance = 4321;
  SaveStatsFile(app->stats);
  ASSERT_TRUE(std::filesystem::exists(Host("KV_Stats.bin")));

  Set(0, {Wp(1), Wp(3)});
  Set(25, {Wp(2)});
  ASSERT_EQ(SaveTasksFile(*app, nullptr), 1);
  InitStatsTable(app->stats);
  ASSERT_EQ(LoadTasksFile(*app, Path(u"\\KV_TASKS.xml").c_str()), 0);
  EXPECT_EQ(app->stats.count, 3);
  EXPECT_EQ(app->stats.records[2].legDistance, 4321);
  EXPECT_TRUE(std::filesystem::exists(Host("KV_Stats.bin")));

  Tasks().slot[25].SetSize(0);
  ASSERT_EQ(SaveTasksFile(*app, nullptr), 1);
  ASSERT_EQ(LoadTasksFile(*app, Path(u"\\KV_TASKS.xml").c_str()), 0);
  EXPECT_FALSE(std::filesystem::exists(Host("KV_Stats.bin")));
  StatsHooksInstalled().dataFolder = nullptr;
}

// The desktop file: tasks to slots 0..19 in order, a task with an unknown point dropped whole
// (its slot keeps its points), the file deleted after reading, also when broken.
TEST_F(TaskDocument, DesktopTasksFillTwentySlots) {
  const GeoPoint a = PointRefPosition(Wp(1));
  const GeoPoint b = PointRefPosition(Wp(2));
  auto point = [](const char* name, const GeoPoint& at) {
    return std::string("<CTaskWpt><WaypointType>UserWaypoint</WaypointType><Name>") + name + "</Name><Lat>" +
           std::to_string(at.lat * 10) + "</Lat><Lon>" + std::to_string(at.lon * 10) + "</Lon></CTaskWpt>";
  };
  std::string doc = "<Desktop><Tasks>";
  for (int t = 0; t < 25; ++t) {
    doc += "<Task><name>T" + std::to_string(t) + "</name><waypoints>";
    if (t == 3) doc += point("Alpha", a) + point("Lost", GeoPoint{0, 0});
    else doc += point("Alpha", a) + point("B &lt;&amp;&gt; &quot;q&quot;", b);
    doc += "</waypoints></Task>";
  }
  doc += "</Tasks></Desktop>";
  Set(3, {Wp(3)});
  Set(20, {Wp(3)});
  Write("KV_TASKS_FROMDESKTOP3D.xml", doc);
  ImportDesktopTasksFile(*app, Path(u"\\KV_TASKS_FROMDESKTOP3D.xml").c_str());
  EXPECT_FALSE(std::filesystem::exists(Host("KV_TASKS_FROMDESKTOP3D.xml")));
  for (int slot = 0; slot < 20; ++slot) {
    SCOPED_TRACE(slot);
    EXPECT_EQ(Indexes(slot), (slot == 3 ? std::vector<std::int32_t>{3} : std::vector<std::int32_t>{1, 2}));
  }
  EXPECT_EQ(Indexes(20), (std::vector<std::int32_t>{3}));
  EXPECT_TRUE(Shown(u"T3: Unable To Find Waypoint: Lost"));

  // Every cut of the desktop document reads without a fault.
  for (std::size_t cut = 0; cut < doc.size(); cut += 11) {
    XmlNode parsed = XmlNode::ConstructTop();
    if (XmlParseBytes(doc.data(), static_cast<std::int32_t>(cut), parsed) == kXmlParsed && parsed.ChildCount() > 0 &&
        parsed.Child(0)->ChildCount() > 0)
      ApplyDesktopTasks(*parsed.Child(0)->Child(0));
  }
  for (auto& slot : Tasks().slot) slot.SetSize(0);
  Set(0, {Wp(1), Wp(2)});

  Write("KV_TASKS_FROMDESKTOP3D.xml", "<Desktop><Tasks><Task><na");
  ImportDesktopTasksFile(*app, Path(u"\\KV_TASKS_FROMDESKTOP3D.xml").c_str());
  EXPECT_FALSE(std::filesystem::exists(Host("KV_TASKS_FROMDESKTOP3D.xml")));
  EXPECT_EQ(Indexes(0), (std::vector<std::int32_t>{1, 2}));
}

// The start-up after the settings documents: the task document read, the target on the active
// task's first point, no previous point for a task not started; in the simulator the glider near
// home (15 north, 3 west, 1000 m above it) and, when asked, home as the target.
TEST_F(TaskDocument, StartUpTakesTheTasksTargetAndSimulatorStart) {
  UserWaypoints().records[3].elevation = 1640;  // 499 m
  Set(0, {Wp(1), Wp(2)});
  ASSERT_EQ(SaveTasksFile(*app, nullptr), 1);
  for (auto& slot : Tasks().slot) slot.SetSize(0);
  PreviousTarget() = Wp(3);

  LoadAllSettings(*app);
  EXPECT_EQ(Indexes(0), (std::vector<std::int32_t>{1, 2}));
  EXPECT_EQ(app->navTarget.kind, kPointUserWaypoint);
  EXPECT_EQ(app->navTarget.index, 1);
  EXPECT_EQ(PreviousTarget().kind, 0);

  app->simulator = 1;
  HomePoint() = Wp(3);
  const GeoPoint home = PointRefPosition(HomePoint());
  GeoPoint out;
  LoadAllSettings(*app, &out, true);
  EXPECT_EQ(out, home);
  const GpsStatus status = GetGpsStatus(app->gps);
  EXPECT_EQ(status.position, (GeoPoint{home.lon - 3, home.lat + 15}));
  EXPECT_EQ(status.altitude, 499 + 1000);
  EXPECT_EQ(app->navTarget.index, 3);
}

}  // namespace
