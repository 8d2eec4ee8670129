#include "theme_images.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>

namespace themegen {
namespace {

constexpr double kPi = 3.14159265358979323846;

// Ink colours: each picture of a button has its own, so the picture shown can be told apart.
constexpr Rgb kOff{90, 90, 90};
constexpr Rgb kDisabled{190, 190, 190};
constexpr Rgb kWifi{0, 90, 200};
constexpr Rgb kBluetooth{0, 60, 170};
constexpr Rgb kDiscoverable{0, 160, 160};
constexpr Rgb kSpeaker{0, 130, 60};
constexpr Rgb kVibrate{130, 40, 170};
constexpr Rgb kPhone{0, 140, 0};
constexpr Rgb kConnection{0, 100, 190};
constexpr Rgb k2G{0, 140, 0};
constexpr Rgb k3G{0, 90, 200};
constexpr Rgb kAuto{230, 120, 0};
constexpr Rgb kTool{40, 60, 120};
constexpr Rgb kRed{200, 20, 20};
constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kPlace{180, 60, 20};
constexpr Rgb kUnknown{150, 150, 150};

// The Today item's icons are 25 pixels where the buttons' are 40.
constexpr double kToday = 25.0 / 40.0;

// Drawing in a 40 x 40 design square (scaled to the picture).
class Pen {
 public:
  explicit Pen(cairo_t* cr) : m_cr(cr) {}
  void Ink(Rgb c) { cairo_set_source_rgb(m_cr, c.r / 255.0, c.g / 255.0, c.b / 255.0); }
  void Width(double w) { cairo_set_line_width(m_cr, w); }
  void Line(std::initializer_list<double> xy) {
    auto it = xy.begin();
    cairo_move_to(m_cr, it[0], it[1]);
    for (std::size_t i = 2; i + 1 < xy.size(); i += 2) cairo_line_to(m_cr, it[i], it[i + 1]);
    cairo_stroke(m_cr);
  }
  void Polygon(std::initializer_list<double> xy) {
    auto it = xy.begin();
    cairo_move_to(m_cr, it[0], it[1]);
    for (std::size_t i = 2; i + 1 < xy.size(); i += 2) cairo_line_to(m_cr, it[i], it[i + 1]);
    cairo_close_path(m_cr);
    cairo_fill(m_cr);
  }
  void Box(double x, double y, double w, double h, bool fill = true) {
    cairo_rectangle(m_cr, x, y, w, h);
    fill ? cairo_fill(m_cr) : cairo_stroke(m_cr);
  }
  void Arc(double cx, double cy, double r, double from_deg, double to_deg) {
    cairo_new_sub_path(m_cr);
    cairo_arc(m_cr, cx, cy, r, from_deg * kPi / 180, to_deg * kPi / 180);
    cairo_stroke(m_cr);
  }
  void Disc(double cx, double cy, double r) {
    cairo_new_sub_path(m_cr);
    cairo_arc(m_cr, cx, cy, r, 0, 2 * kPi);
    cairo_fill(m_cr);
  }
  void Ring(double cx, double cy, double r) { Arc(cx, cy, r, 0, 360); }
  // Bold text centred on (cx, cy).
  void Text(const char* text, double cx, double cy, double size) {
    cairo_select_font_face(m_cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    cairo_set_font_size(m_cr, size);
    cairo_text_extents_t e;
    cairo_text_extents(m_cr, text, &e);
    cairo_move_to(m_cr, cx - e.width / 2 - e.x_bearing, cy - e.height / 2 - e.y_bearing);
    cairo_show_text(m_cr, text);
  }

 private:
  cairo_t* m_cr;
};

using Draw = std::function<void(Pen&)>;

void Wifi(Pen& p, Rgb ink) {
  p.Ink(ink);
  p.Width(4);
  for (double r : {8.0, 15.0, 22.0}) p.Arc(20, 33, r, -135, -45);
  p.Disc(20, 33, 3.5);
}

void Bluetooth(Pen& p, Rgb ink, bool waves) {
  p.Ink(ink);
  p.Width(3.5);
  p.Line({12, 13, 27, 27, 20, 34, 20, 6, 27, 13, 12, 27});
  if (waves) {
    p.Width(2.5);
    p.Arc(20, 20, 16, -40, 40);
    p.Arc(20, 20, 16, 140, 220);
  }
}

void SpeakerBody(Pen& p, Rgb ink) {
  p.Ink(ink);
  p.Box(6, 15, 8, 10);
  p.Polygon({14, 15, 24, 6, 24, 34, 14, 25});
}

void Speaker(Pen& p, Rgb ink) {
  SpeakerBody(p, ink);
  p.Width(3);
  p.Arc(24, 20, 7, -50, 50);
  p.Arc(24, 20, 13, -50, 50);
}

void SpeakerMuted(Pen& p, Rgb ink) {
  SpeakerBody(p, ink);
  p.Width(3);
  p.Line({27, 14, 37, 26});
  p.Line({37, 14, 27, 26});
}

void Vibrate(Pen& p, Rgb ink) {
  p.Ink(ink);
  p.Width(3);
  p.Box(13, 6, 14, 28, false);
  p.Box(16, 10, 8, 10);
  p.Width(2.5);
  p.Line({8, 10, 4, 15, 8, 20, 4, 25, 8, 30});
  p.Line({32, 10, 36, 15, 32, 20, 36, 25, 32, 30});
}

void Phone(Pen& p, Rgb ink) {
  p.Ink(ink);
  p.Box(12, 4, 16, 32);
  p.Ink(kWhite);
  p.Box(15, 8, 10, 12);
  p.Ink(ink);
  p.Box(15, 24, 10, 2);
  p.Box(15, 28, 10, 2);
}

void Connection(Pen& p, Rgb ink) {
  p.Ink(ink);
  p.Polygon({13, 4, 5, 16, 10, 16, 10, 36, 16, 36, 16, 16, 21, 16});
  p.Polygon({27, 36, 19, 24, 24, 24, 24, 4, 30, 4, 30, 24, 35, 24});
}

void Label(Pen& p, Rgb ink, const char* text, double size) {
  p.Ink(ink);
  p.Text(text, 20, 20, size);
}

void Pin(Pen& p, Rgb ink) {
  p.Ink(ink);
  p.Disc(20, 15, 10);
  p.Polygon({11, 19, 29, 19, 20, 37});
  p.Ink(kWhite);
  p.Disc(20, 15, 4);
}

void Clock(Pen& p, Rgb ink) {
  p.Ink(ink);
  p.Width(3);
  p.Ring(20, 20, 15);
  p.Line({20, 20, 20, 10});
  p.Line({20, 20, 27, 24});
}

void Padlock(Pen& p, Rgb ink, bool open) {
  p.Ink(ink);
  p.Box(9, 18, 22, 17);
  p.Width(4);
  if (open)
    p.Arc(28, 14, 7, 180, 360);
  else
    p.Arc(20, 17, 7, 180, 360);
}

void Duration(Pen& p, const char* text) {
  p.Ink(kTool);
  p.Width(2.5);
  p.Ring(20, 20, 17);
  p.Text(text, 20, 20, 12);
}

struct Entry {
  const char* file;
  double width;  // of the base size
  double height;
  Draw draw;
};

std::vector<Entry> Entries() {
  return {
      // Manager buttons: off ("_des"), on, disabled ("_dis") and extra pictures.
      {"wifi.png", 1, 1, [](Pen& p) { Wifi(p, kWifi); }},
      {"wifi_des.png", 1, 1, [](Pen& p) { Wifi(p, kOff); }},
      {"wifi_dis.png", 1, 1, [](Pen& p) { Wifi(p, kDisabled); }},
      {"bluetooth.png", 1, 1, [](Pen& p) { Bluetooth(p, kBluetooth, false); }},
      {"bluetooth_des.png", 1, 1, [](Pen& p) { Bluetooth(p, kOff, false); }},
      {"bluetooth_dis.png", 1, 1, [](Pen& p) { Bluetooth(p, kDisabled, false); }},
      {"bluetooth_discoverable.png", 1, 1, [](Pen& p) { Bluetooth(p, kDiscoverable, true); }},
      {"speaker.png", 1, 1, [](Pen& p) { Speaker(p, kSpeaker); }},
      {"speaker_des.png", 1, 1, [](Pen& p) { SpeakerMuted(p, kOff); }},
      {"speaker_dis.png", 1, 1, [](Pen& p) { Speaker(p, kDisabled); }},
      {"speaker_vibrate.png", 1, 1, [](Pen& p) { Vibrate(p, kVibrate); }},
      {"mobilephone.png", 1, 1, [](Pen& p) { Phone(p, kPhone); }},
      {"mobilephone_des.png", 1, 1, [](Pen& p) { Phone(p, kOff); }},
      {"mobilephone_dis.png", 1, 1, [](Pen& p) { Phone(p, kDisabled); }},
      {"connection.png", 1, 1, [](Pen& p) { Connection(p, kConnection); }},
      {"connection_des.png", 1, 1, [](Pen& p) { Connection(p, kOff); }},
      {"connection_dis.png", 1, 1, [](Pen& p) { Connection(p, kDisabled); }},
      {"2g.png", 1, 1, [](Pen& p) { Label(p, k2G, "2G", 17); }},
      {"3g.png", 1, 1, [](Pen& p) { Label(p, k3G, "3G", 17); }},
      {"2g_dis.png", 1, 1, [](Pen& p) { Label(p, kDisabled, "2G", 17); }},
      {"auto.png", 1, 1,
       [](Pen& p) {
         p.Width(3);
         p.Ink(kAuto);
         p.Ring(20, 20, 17);
         Label(p, kAuto, "A", 22);
       }},
      {"hide.png", 1, 1,
       [](Pen& p) {
         p.Ink(kTool);
         p.Polygon({20, 28, 8, 14, 15, 14, 15, 4, 25, 4, 25, 14, 32, 14});
         p.Box(6, 32, 28, 4);
       }},
      {"refresh.png", 1, 1,
       [](Pen& p) {
         p.Ink(kTool);
         p.Width(4);
         p.Arc(20, 20, 12, -60, 240);
         p.Polygon({26, 3, 34, 12, 23, 14});
       }},
      // Bars.
      {"battery.png", 0.5, 0.5,
       [](Pen& p) {
         p.Ink(kPhone);
         p.Width(3);
         p.Box(6, 10, 26, 20, false);
         p.Box(32, 16, 4, 8);
         p.Box(10, 14, 14, 12);
       }},
      {"ac.png", 0.5, 0.5,
       [](Pen& p) {
         p.Ink(kAuto);
         p.Polygon({22, 2, 8, 22, 18, 22, 14, 38, 32, 16, 21, 16});
       }},
      {"signal.png", 0.5, 0.5,
       [](Pen& p) {
         p.Ink(kWifi);
         for (int i = 0; i < 4; ++i) p.Box(4 + i * 9, 30 - i * 8, 6, 6 + i * 8);
       }},
      // Places.
      {"unknown.png", 1, 1,
       [](Pen& p) {
         Pin(p, kOff);
         p.Ink(kOff);
         p.Text("?", 20, 15, 11);
       }},
      {"place_unknown.png", 1, 1, [](Pen& p) { Pin(p, kDisabled); }},
      {"place_home.png", 1, 1,
       [](Pen& p) {
         p.Ink(kPlace);
         p.Polygon({20, 4, 4, 20, 36, 20});
         p.Box(9, 20, 22, 16);
         p.Ink(kWhite);
         p.Box(17, 26, 6, 10);
       }},
      {"place_work.png", 1, 1,
       [](Pen& p) {
         p.Ink(kTool);
         p.Box(8, 4, 24, 32);
         p.Ink(kWhite);
         for (int row = 0; row < 4; ++row)
           for (int col = 0; col < 3; ++col) p.Box(11 + col * 7, 7 + row * 7, 4, 4);
       }},
      {"place_car.png", 1, 1,
       [](Pen& p) {
         p.Ink(kRed);
         p.Polygon({4, 26, 8, 16, 14, 10, 28, 10, 33, 16, 36, 26});
         p.Ink(kOff);
         p.Disc(11, 28, 4);
         p.Disc(29, 28, 4);
       }},
      // The fallback for any picture that is missing.
      {"question.png", 1, 1,
       [](Pen& p) {
         p.Ink(kRed);
         p.Disc(20, 20, 17);
         p.Ink(kWhite);
         p.Text("?", 20, 20, 24);
       }},
      // Popup buttons.
      {"cancel.png", 1, 1,
       [](Pen& p) {
         p.Ink(kRed);
         p.Width(6);
         p.Line({9, 9, 31, 31});
         p.Line({31, 9, 9, 31});
       }},
      {"time_limit_none.png", 1, 1, [](Pen& p) { Duration(p, "\xe2\x88\x9e"); }},
      {"time_limit_1.png", 1, 1, [](Pen& p) { Duration(p, "1'"); }},
      {"time_limit_5.png", 1, 1, [](Pen& p) { Duration(p, "5'"); }},
      {"time_limit_10.png", 1, 1, [](Pen& p) { Duration(p, "10'"); }},
      {"time_limit_30.png", 1, 1, [](Pen& p) { Duration(p, "30'"); }},
      {"time_limit_60.png", 1, 1, [](Pen& p) { Duration(p, "1h"); }},
      {"time_limit_120.png", 1, 1, [](Pen& p) { Duration(p, "2h"); }},
      {"time_limit_custom.png", 1, 1, [](Pen& p) { Duration(p, "h:m"); }},
      {"settings.png", 1, 1,
       [](Pen& p) {
         p.Ink(kTool);
         p.Disc(20, 20, 11);
         for (int i = 0; i < 4; ++i) {
           p.Box(17, 3, 6, 34);
           p.Box(3, 17, 34, 6);
         }
         p.Ink(kWhite);
         p.Disc(20, 20, 4);
       }},
      {"places.png", 1, 1, [](Pen& p) { Pin(p, kPlace); }},
      {"add_place.png", 1, 1,
       [](Pen& p) {
         Pin(p, kPlace);
         p.Ink(k2G);
         p.Box(26, 30, 12, 4);
         p.Box(30, 26, 4, 12);
       }},
      {"assign_place.png", 1, 1,
       [](Pen& p) {
         Pin(p, kPlace);
         p.Ink(k3G);
         p.Polygon({24, 28, 32, 28, 32, 24, 39, 31, 32, 38, 32, 34, 24, 34});
       }},
      {"schedule.png", 1, 1, [](Pen& p) { Clock(p, kTool); }},
      {"actions.png", 1, 1,
       [](Pen& p) {
         p.Ink(kTool);
         for (int i = 0; i < 4; ++i) {
           p.Box(6, 7 + i * 8, 5, 5);
           p.Box(14, 8 + i * 8, 20, 3);
         }
       }},
      {"lock.png", 1, 1, [](Pen& p) { Padlock(p, kRed, false); }},
      {"unlock.png", 1, 1, [](Pen& p) { Padlock(p, k2G, true); }},
      {"action_delete.png", 1, 1,
       [](Pen& p) {
         p.Ink(kOff);
         p.Box(8, 8, 24, 4);
         p.Box(16, 4, 8, 4);
         p.Polygon({10, 14, 30, 14, 28, 36, 12, 36});
       }},
      {"action_edit.png", 1, 1,
       [](Pen& p) {
         p.Ink(kTool);
         p.Polygon({8, 32, 10, 24, 28, 6, 34, 12, 16, 30});
       }},
      // The Today item's icons: 25 pixels at the base of 40 (50 on VGA), drawn 25 x 25 on the
      // Today screen with the key colour of their corner left out.
      {"td_wifi.png", kToday, kToday, [](Pen& p) { Wifi(p, kWifi); }},
      {"td_wifi_des.png", kToday, kToday, [](Pen& p) { Wifi(p, kOff); }},
      {"td_bluetooth.png", kToday, kToday, [](Pen& p) { Bluetooth(p, kBluetooth, false); }},
      {"td_bluetooth_des.png", kToday, kToday, [](Pen& p) { Bluetooth(p, kOff, false); }},
      {"td_bluetooth_discoverable.png", kToday, kToday, [](Pen& p) { Bluetooth(p, kDiscoverable, true); }},
      {"td_speaker.png", kToday, kToday, [](Pen& p) { Speaker(p, kSpeaker); }},
      {"td_speaker_des.png", kToday, kToday, [](Pen& p) { SpeakerMuted(p, kOff); }},
      {"td_speaker_vibrate.png", kToday, kToday, [](Pen& p) { Vibrate(p, kVibrate); }},
      {"td_mobilephone.png", kToday, kToday, [](Pen& p) { Phone(p, kPhone); }},
      {"td_mobilephone_des.png", kToday, kToday, [](Pen& p) { Phone(p, kOff); }},
      {"td_connection.png", kToday, kToday, [](Pen& p) { Connection(p, kConnection); }},
      {"td_connection_des.png", kToday, kToday, [](Pen& p) { Connection(p, kOff); }},
      {"td_connection_dis.png", kToday, kToday, [](Pen& p) { Connection(p, kDisabled); }},
      {"td_auto.png", kToday, kToday,
       [](Pen& p) {
         p.Width(3);
         p.Ink(kAuto);
         p.Ring(20, 20, 17);
         Label(p, kAuto, "A", 22);
       }},
      {"td_2g.png", kToday, kToday, [](Pen& p) { Label(p, k2G, "2G", 17); }},
      {"td_3g.png", kToday, kToday, [](Pen& p) { Label(p, k3G, "3G", 17); }},
      {"td_lock.png", kToday, kToday, [](Pen& p) { Padlock(p, kRed, false); }},
      {"td_unknown.png", kToday, kToday,
       [](Pen& p) {
         p.Ink(kUnknown);
         p.Width(3);
         p.Ring(20, 20, 16);
         p.Text("?", 20, 20, 22);
       }},
  };
}

// The bar's fill: green at the top to red at the bottom, no key colour.
bool WriteBarImage(const std::filesystem::path& file, int base) {
  const int w = std::max(4, base / 4);
  const int h = base * 3 / 2;
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
  cairo_t* cr = cairo_create(surface);
  for (int y = 0; y < h; ++y) {
    const double t = static_cast<double>(y) / (h - 1);
    cairo_set_source_rgb(cr, t * 0.85, 0.75 - t * 0.6, 0.1);
    cairo_rectangle(cr, 0, y, w, 1);
    cairo_fill(cr);
  }
  cairo_destroy(cr);
  const bool ok = cairo_surface_write_to_png(surface, file.c_str()) == CAIRO_STATUS_SUCCESS;
  cairo_surface_destroy(surface);
  return ok;
}

}  // namespace

std::vector<std::string> PictureNames() {
  std::vector<std::string> names;
  for (const Entry& e : Entries()) names.emplace_back(e.file);
  names.emplace_back("bar_battery.png");
  return names;
}

bool WritePictures(const std::filesystem::path& folder, int base) {
  for (const Entry& e : Entries()) {
    const int w = static_cast<int>(base * e.width);
    const int h = static_cast<int>(base * e.height);
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
    cairo_t* cr = cairo_create(surface);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_NONE);
    cairo_set_font_options(cr, options);
    cairo_font_options_destroy(options);
    cairo_set_source_rgb(cr, kKey.r / 255.0, kKey.g / 255.0, kKey.b / 255.0);
    cairo_paint(cr);
    cairo_scale(cr, w / 40.0, h / 40.0);
    Pen pen(cr);
    e.draw(pen);
    cairo_destroy(cr);
    const std::filesystem::path file = folder / e.file;
    const bool ok = cairo_surface_write_to_png(surface, file.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(surface);
    if (!ok) {
      std::fprintf(stderr, "themegen: cannot write %s\n", file.c_str());
      return false;
    }
  }
  if (!WriteBarImage(folder / "bar_battery.png", base)) {
    std::fprintf(stderr, "themegen: cannot write %s\n", (folder / "bar_battery.png").c_str());
    return false;
  }
  return true;
}

}  // namespace themegen
