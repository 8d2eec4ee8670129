#include "velomar/ui/Skin.h"

#include <atomic>

#include "platform/files/files.h"
#include "platform/shell/launch.h"
#include "platform/gdi/gdi.h"
#include "platform/window/window.h"
#include "platform/xml/msxml.h"
#include "teskautils/TeskaUtils.h"
#include "velomar/core/Config.h"
#include "velomar/ui/BarConfig.h"
#include "velomar/ui/DomHelpers.h"
#include "velomar/ui/Translator.h"

using velomar::ui::Attribute;
using velomar::ui::Bstr;
using velomar::ui::IntAttribute;
using velomar::ui::IsQueryId;
using velomar::ui::Ref;
using velomar::ui::SelectElement;

namespace {

constexpr std::size_t kMaxQueryChars = 200;

CSkin* g_instance = nullptr;

// A program that could not start says so in its exit code.
void ExitProgram() { TerminateProcess(GetCurrentProcess(), 1); }
std::atomic<velomar::seam::SkinEndProgramHandler> g_endProgram{ExitProgram};

const char16_t* ResolutionId(int resolution) {
  switch (resolution) {
    case CSkin::kSquare: return u"square";
    case CSkin::kVga: return u"vga";
    default: return u"qvga";
  }
}

const char16_t* OrientationId(int orientation) {
  switch (orientation) {
    case 1: return u"landscape";
    case 2: return u"square";
    default: return u"portrait";
  }
}

// Sets `field` from the integer attribute `name` when the element has one.
void ReadInt(IXMLDOMElement* element, const char16_t* name, int& field) {
  if (auto value = IntAttribute(element, name)) field = *value;
}

void ReadPositionAttributes(IXMLDOMElement* element, ThemePosition& position) {
  ReadInt(element, u"cx", position.cx);
  ReadInt(element, u"cy", position.cy);
  ReadInt(element, u"x", position.x);
  ReadInt(element, u"y", position.y);
}

void ReadRgbAttributes(IXMLDOMElement* element, ThemeRgb& rgb) {
  ReadInt(element, u"r", rgb.r);
  ReadInt(element, u"g", rgb.g);
  ReadInt(element, u"b", rgb.b);
}

}  // namespace

CSkin* CSkin::GetInstance() {
  if (!g_instance) {
    g_instance = new CSkin();  // lives until the process ends
    g_instance->DetectResolution();
    g_instance->Load();
  }
  return g_instance;
}

CSkin::~CSkin() {
  if (m_document) m_document->Release();
  m_document = nullptr;
}

void CSkin::DetectScreen(int& resolution, int& orientation) {
  HDC screen = GetDC(nullptr);
  const int w = GetDeviceCaps(screen, HORZRES);
  const int h = GetDeviceCaps(screen, VERTRES);
  ReleaseDC(nullptr, screen);
  orientation = w > h ? 1 : (w < h ? 0 : 2);
  if ((w == 240 && h == 320) || (w == 320 && h == 240))
    resolution = kQvga;
  else if (w == h)
    resolution = kSquare;
  else if (w > 320 || h > 320)
    resolution = kVga;
  else
    resolution = kQvga;  // other small screens use the QVGA files
}

void CSkin::DetectResolution() { DetectScreen(m_resolution, m_orientation); }

std::u16string CSkin::ThemeFolderFor(int resolution) {
  WCHAR program[MAX_PATH] = {};
  GetCurrentDirectory(program);
  program[MAX_PATH - 1] = 0;
  const std::u16string theme = CConfig::GetInstance()->GetString(u"theme");
  return std::u16string(program) + u"\\themes\\" + theme + u"\\" + ResolutionId(resolution) + u"\\";
}

void CSkin::GetThemeFolder(std::u16string& folder) { folder = ThemeFolderFor(m_resolution); }

std::u16string CSkin::CurrentThemeFolder() {
  if (g_instance) return g_instance->GetThemeFolder();
  int resolution = kQvga;
  int orientation = 0;
  DetectScreen(resolution, orientation);
  return ThemeFolderFor(resolution);
}

std::u16string CSkin::GetSkinPath() { return GetThemeFolder() + u"skin.xml"; }

void CSkin::Load() {
  DetectResolution();
  const std::u16string path = GetSkinPath();
  CoInitializeEx(nullptr, 0);
  if (m_document) m_document->Release();
  m_document = nullptr;

  const bool found = GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
  // A file that does not parse is reported as not loaded: it is no skin.
  Ref<IXMLDOMDocument> document;
  if (found) {
    try {
      document.reset(velomar::ui::LoadDocument(path));
    } catch (...) {
      document.reset();
    }
  }
  if (document.get() == nullptr) {
    const std::u16string text = CTranslator::GetInstance()->GetText(found ? u"ERROR READING SKIN" : u"ERROR LOCATING SKIN");
    // A theme that cannot be used need not stop every start: the default theme may take its place.
    bool asked = false;
    if (OfferDefaultTheme(text, path, asked)) return;
    if (!asked) ErrorBox(nullptr, text.c_str(), path.c_str());
    g_endProgram.load()();
    return;
  }
  m_document = document.release();
}

bool CSkin::OfferDefaultTheme(const std::u16string& text, const std::u16string& path, bool& asked) {
  constexpr const char16_t* kDefaultTheme = u"default";
  constexpr int kAnswerYes = 6;  // QuestionBox's "yes"
  if (CConfig::GetInstance()->GetString(u"theme") == kDefaultTheme) return false;
  const std::u16string theme = CConfig::GetInstance()->GetString(u"theme");
  CConfig::GetInstance()->SetString(u"theme", kDefaultTheme);
  const bool usable = GetFileAttributesW(GetSkinPath().c_str()) != INVALID_FILE_ATTRIBUTES;
  asked = usable;
  if (!usable || QuestionBox(nullptr, (text + u"\n\nUse the default theme?").c_str(), path.c_str()) != kAnswerYes) {
    CConfig::GetInstance()->SetString(u"theme", theme.c_str());
    return false;
  }
  Load();
  return true;
}

std::u16string CSkin::OrientationQuery() const {
  std::u16string query = std::u16string(u"/velomar/resolution[@id='") + ResolutionId(m_resolution) +
                         u"']/orientation[@id='" + OrientationId(m_orientation) + u"']";
  if (query.size() > kMaxQueryChars) query.resize(kMaxQueryChars);
  return query;
}

IXMLDOMElement* CSkin::GetOrientationNode() { return SelectElement(m_document, OrientationQuery()); }

IXMLDOMElement* CSkin::GetButtonNode(const std::u16string& id) {
  if (!IsQueryId(id)) return nullptr;
  return SelectElement(m_document, OrientationQuery() + u"/button[@id='" + id + u"']");
}

void CSkin::GetBarNode(CBarConfigXML* bar, const std::u16string& id) {
  if (!bar) return;
  Ref<IXMLDOMElement> node(IsQueryId(id) ? SelectElement(m_document, OrientationQuery() + u"/bar[@id='" + id + u"']")
                                         : nullptr);
  bar->ReadConfig(node.get(), id);
}

void CSkin::ReadPosition(ThemePosition& position, IXMLDOMElement* element) {
  Ref<IXMLDOMElement> owned(element);
  if (element) ReadPositionAttributes(element, position);
}

void CSkin::ReadRgb(ThemeRgb& rgb, IXMLDOMElement* element) {
  Ref<IXMLDOMElement> owned(element);
  if (element) ReadRgbAttributes(element, rgb);
}

void CSkin::ReadFont(CFontDescription& font, IXMLDOMElement* element) {
  Ref<IXMLDOMElement> owned(element);
  if (!element) return;
  if (auto family = Attribute(element, u"family")) font.m_family = *family;
  ReadInt(element, u"fontsize", font.m_size);
  ReadInt(element, u"fontbold", font.m_weight);
  ReadRgb(font.m_rgb, SelectElement(element, u"./rgb"));
}

void CSkin::ReadTextState(CTextState& state, IXMLDOMElement* element) {
  Ref<IXMLDOMElement> owned(element);
  if (!element) return;
  ReadPosition(state.m_position, SelectElement(element, u"./position"));
  ReadFont(state.m_font, SelectElement(element, u"./font"));
}

void CSkin::ReadTextHolder(CTextHolder& holder, IXMLDOMElement* element) {
  Ref<IXMLDOMElement> owned(element);
  if (!element) return;
  Bstr text;
  if (element->get_text(text.out()) == S_OK) holder.m_text = text.str();
  ReadPositionAttributes(element, holder.m_position);
  ReadRgbAttributes(element, holder.m_rgb);
}

void CSkin::ReadLabel(CButtonText& label, IXMLDOMElement* element) {
  Ref<IXMLDOMElement> owned(element);
  if (!element) return;
  if (auto id = Attribute(element, u"id")) label.m_id = *id;
  ReadPosition(label.m_position, SelectElement(element, u"./position"));
  ReadFont(label.m_font, SelectElement(element, u"./font"));
}

namespace velomar::seam {
void SetSkinEndProgram(SkinEndProgramHandler handler) { g_endProgram = handler ? handler : ExitProgram; }
void ResetSkin() {
  delete g_instance;
  g_instance = nullptr;
}
}  // namespace velomar::seam
