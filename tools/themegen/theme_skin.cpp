#include "theme_skin.h"

#include <fstream>
#include <sstream>

namespace themegen {
namespace {

struct Screen {
  const char* orientation;
  int width;
  int height;
};

struct Images {
  std::string off, on, disabled;
  std::string extraId, extra;  // "auto", "discoverable" or "vibrate", and its picture
};

// The pictures of each themed button; popup buttons show one picture in every state.
struct ButtonLook {
  const char* id;
  Images images;
  bool caption;  // the time-limit buttons show their duration in the picture, not in the caption
};

std::vector<ButtonLook> Looks() {
  auto one = [](const std::string& file) { return Images{file, file, file, "", ""}; };
  return {
      {"connections", {"connection_des.png", "connection.png", "connection_dis.png", "", ""}, true},
      {"band", {"2g.png", "3g.png", "2g_dis.png", "auto", "auto.png"}, true},
      {"hide", one("hide.png"), true},
      {"refresh", one("refresh.png"), true},
      {"wifi", {"wifi_des.png", "wifi.png", "wifi_dis.png", "", ""}, true},
      {"bt", {"bluetooth_des.png", "bluetooth.png", "bluetooth_dis.png", "discoverable", "bluetooth_discoverable.png"}, true},
      {"speaker", {"speaker_des.png", "speaker.png", "speaker_dis.png", "vibrate", "speaker_vibrate.png"}, true},
      {"phone", {"mobilephone_des.png", "mobilephone.png", "mobilephone_dis.png", "", ""}, true},
      {"cancel", one("cancel.png"), true},
      {"time_limit_none", one("time_limit_none.png"), false},
      {"time_limit_1", one("time_limit_1.png"), false},
      {"time_limit_5", one("time_limit_5.png"), false},
      {"time_limit_10", one("time_limit_10.png"), false},
      {"time_limit_30", one("time_limit_30.png"), false},
      {"time_limit_60", one("time_limit_60.png"), false},
      {"time_limit_120", one("time_limit_120.png"), false},
      {"time_limit_custom", one("time_limit_custom.png"), false},
      {"settings", one("settings.png"), true},
      {"places", one("places.png"), true},
      {"add_place", one("add_place.png"), true},
      {"assign_place", one("assign_place.png"), true},
      {"schedule", one("schedule.png"), true},
      {"actions", one("actions.png"), true},
      {"lock", one("lock.png"), true},
      {"unlock", one("unlock.png"), true},
      {"action_delete", one("action_delete.png"), true},
      {"action_edit", one("action_edit.png"), true},
  };
}

class Writer {
 public:
  explicit Writer(int scale) : m_scale(scale) {}
  int S(int v) const { return v * m_scale; }
  void Open(int depth, const std::string& tag) { Line(depth, "<" + tag + ">"); }
  void Close(int depth, const std::string& name) { Line(depth, "</" + name + ">"); }
  void Line(int depth, const std::string& text) { m_out << std::string(depth * 2, ' ') << text << '\n'; }
  std::string Rgb(int r, int g, int b) const {
    return "<rgb r=\"" + std::to_string(r) + "\" g=\"" + std::to_string(g) + "\" b=\"" + std::to_string(b) + "\"/>";
  }
  std::string Position(int x, int y, int cx, int cy) const {
    std::string s = "<position";
    if (x >= 0) s += " x=\"" + std::to_string(x) + "\"";
    if (y >= 0) s += " y=\"" + std::to_string(y) + "\"";
    return s + " cx=\"" + std::to_string(cx) + "\" cy=\"" + std::to_string(cy) + "\"/>";
  }
  // A font of `size` pixels, doubled for VGA unless `fixed`.
  std::string Font(int size, int r, int g, int b, bool fixed = false) const {
    return "<font family=\"Tahoma\" fontsize=\"" + std::to_string(fixed ? size : S(size)) + "\" fontbold=\"700\">" +
           Rgb(r, g, b) + "</font>";
  }
  // An image element keyed on magenta.
  std::string Image(const std::string& id, const std::string& file) const {
    return "<image id=\"" + id + "\" r=\"255\" g=\"0\" b=\"255\">" + file + "</image>";
  }
  std::string str() const { return m_out.str(); }

 private:
  int m_scale;
  std::ostringstream m_out;
};

void Button(Writer& w, int depth, const ButtonLook& look, const Screen& screen) {
  std::string attributes = " transparent=\"yes\"";
  if (!look.caption) attributes += " text=\"no\"";
  w.Line(depth, std::string("<button id=\"") + look.id + "\"" + attributes + ">");
  w.Line(depth + 1, w.Position(-1, -1, w.S(60), w.S(65)));
  w.Open(depth + 1, "TopTextSate");
  // Square screens come in several sizes: there the band keeps the program's own placement
  // (centred across the window).
  if (std::string(screen.orientation) != "square")
    w.Line(depth + 2, w.Position(w.S(30), w.S(2), screen.width - w.S(60), w.S(18)));
  w.Line(depth + 2, w.Font(14, 0, 0, 0));
  w.Close(depth + 1, "TopTextSate");
  w.Line(depth + 1, w.Image("off_unpressed", look.images.off));
  w.Line(depth + 1, w.Image("off_pressed", look.images.off));
  w.Line(depth + 1, w.Image("on_unpressed", look.images.on));
  w.Line(depth + 1, w.Image("on_pressed", look.images.on));
  w.Line(depth + 1, w.Image("disabled", look.images.disabled));
  if (!look.images.extraId.empty()) {
    w.Line(depth + 1, w.Image(look.images.extraId + "_pressed", look.images.extra));
    w.Line(depth + 1, w.Image(look.images.extraId + "_unpressed", look.images.extra));
  }
  // The four looks: focused and pressed (its width switches the themed look on), focused,
  // pressed, neither.
  struct StateLook {
    const char* state;
    const char* press;
    int width;
    int border[3];
    int brush[3];
  };
  const StateLook states[] = {
      {"focused", "pressed", 2, {0, 60, 140}, {170, 200, 240}},
      {"focused", "unpressed", 2, {0, 120, 220}, {220, 235, 255}},
      {"not_focused", "pressed", 1, {120, 120, 120}, {200, 200, 200}},
      {"not_focused", "unpressed", 1, {160, 160, 160}, {245, 245, 245}},
  };
  for (const char* state : {"focused", "not_focused"}) {
    w.Line(depth + 1, std::string("<state id=\"") + state + "\">");
    for (const StateLook& s : states) {
      if (std::string(s.state) != state) continue;
      w.Line(depth + 2, std::string("<border_color id=\"") + s.press + "\" width=\"" + std::to_string(s.width) + "\">" +
                            w.Rgb(s.border[0], s.border[1], s.border[2]) + "</border_color>");
      w.Line(depth + 2, std::string("<brush id=\"") + s.press + "\">" + w.Rgb(s.brush[0], s.brush[1], s.brush[2]) +
                            "</brush>");
    }
    w.Close(depth + 1, "state");
  }
  // The caption's band is 7 pixels high in every class: its font is not doubled.
  w.Line(depth + 1, w.Font(8, 0, 0, 0, true));
  w.Close(depth, "button");
}

// The wide location button at the top, leaving room at both sides for the battery and signal
// bars that run down the window's edges: where its texts go (inside the button).
void PlaceButton(Writer& w, int depth, const Screen& screen, int top, int height) {
  w.Line(depth, "<button id=\"place\" transparent=\"yes\" autolocate=\"no\">");
  const int margin = w.S(24);
  const int width = screen.width - 2 * margin;
  w.Line(depth + 1, w.Position(margin, top, width, height));
  const int image = height - w.S(24);
  w.Line(depth + 1, "<image id=\"place\" cx=\"" + std::to_string(image) + "\" cy=\"" + std::to_string(image) +
                        "\" r=\"255\" g=\"0\" b=\"255\"></image>");
  const int half = width / 2 - image / 2 - w.S(3);
  const struct {
    const char* id;
    int x, y, cx, cy;
  } texts[] = {
      {"lac_id", w.S(2), w.S(2), half, height / 2},
      {"cell_id", w.S(2), height / 2, half, height / 2},
      {"mode", width - half, w.S(2), half - w.S(3), height / 2},
      {"lock", width - half, height / 2, half - w.S(3), height / 2},
  };
  for (const auto& t : texts) {
    w.Line(depth + 1, std::string("<ButtonText id=\"") + t.id + "\">" + w.Position(t.x, t.y, t.cx, t.cy) +
                          w.Font(9, 0, 0, 0) + "</ButtonText>");
  }
  w.Close(depth, "button");
}

void Bar(Writer& w, int depth, const char* id, bool with_bar_image) {
  w.Line(depth, std::string("<bar id=\"") + id + "\" mode=\"gradient\" border=\"yes\">");
  w.Line(depth + 1, "<border_color width=\"1\">" + w.Rgb(60, 60, 60) + "</border_color>");
  w.Line(depth + 1, "<gradient id=\"begin\">" + w.Rgb(40, 200, 60) + "</gradient>");
  w.Line(depth + 1, "<gradient id=\"end\">" + w.Rgb(220, 40, 30) + "</gradient>");
  w.Line(depth + 1, w.Font(12, 0, 0, 0));
  if (with_bar_image) {
    w.Line(depth + 1, "<image id=\"bar\">bar_battery.png</image>");
    w.Line(depth + 1, w.Image("AC", "ac.png"));
    w.Line(depth + 1, w.Image("battery", "battery.png"));
  } else {
    w.Line(depth + 1, w.Image("signal", "signal.png"));
  }
  w.Line(depth + 1, "<ButtonText id=\"percentage\">" + w.Font(12, 0, 0, 0) + "</ButtonText>");
  w.Close(depth, "bar");
}

}  // namespace

std::vector<std::string> ButtonIds() {
  std::vector<std::string> ids{"place"};
  for (const ButtonLook& look : Looks()) ids.emplace_back(look.id);
  return ids;
}

bool WriteSkin(const std::filesystem::path& folder, const std::string& resolution) {
  const int scale = resolution == "vga" ? 2 : 1;
  std::vector<Screen> screens;
  if (resolution == "square")
    screens = {{"square", 240, 240}};
  else
    screens = {{"portrait", 240 * scale, 320 * scale}, {"landscape", 320 * scale, 240 * scale}};
  Writer w(scale);
  w.Line(0, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
  w.Line(0, "<!-- Velomar's default theme, written by themegen. -->");
  w.Open(0, "velomar");
  w.Line(1, "<resolution id=\"" + resolution + "\">");
  for (const Screen& screen : screens) {
    w.Line(2, std::string("<orientation id=\"") + screen.orientation + "\">");
    const int place_top = w.S(22);
    const int place_height = std::string(screen.orientation) == "portrait" ? w.S(90) : w.S(64);
    w.Open(3, "DownTextSate");
    w.Line(4, w.Position(0, place_top + place_height + w.S(2), screen.width, w.S(18)));
    w.Line(4, w.Font(12, 0, 0, 0));
    w.Close(3, "DownTextSate");
    PlaceButton(w, 3, screen, place_top, place_height);
    for (const ButtonLook& look : Looks()) Button(w, 3, look, screen);
    Bar(w, 3, "battery", true);
    Bar(w, 3, "signal", false);
    w.Close(2, "orientation");
  }
  w.Close(1, "resolution");
  w.Close(0, "velomar");
  std::ofstream out(folder / "skin.xml", std::ios::binary);
  out << w.str();
  return static_cast<bool>(out.flush());
}

}  // namespace themegen
