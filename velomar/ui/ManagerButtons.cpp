#include "velomar/ui/ManagerButtons.h"

#include "velomar/core/Exceptions.h"
#include "velomar/core/managers/WifiMgr.h"
#include "velomar/ui/Skin.h"
#include "velomar/ui/Translator.h"

namespace {

CTranslator* Tr() { return CTranslator::GetInstance(); }

}  // namespace

#define BASE_ARGS parent, x, y, cx, cy, instance, off_unpressed, off_pressed, on_pressed, on_unpressed, disabled
#define TAIL_ARGS caption, id, image_mode, transparent, creator_value, margin, overlay
#define IMAGE_OUTS cx, cy, x, y, r, g, b

// --- the extra image pair ---

CButtonExtraImages::CButtonExtraImages(const char16_t* extra_id, CBaseWindow* parent, int x, int y, int cx, int cy,
                                       HINSTANCE instance, const WCHAR* off_unpressed, const WCHAR* off_pressed,
                                       const WCHAR* on_pressed, const WCHAR* on_unpressed, const WCHAR* disabled,
                                       const WCHAR* extra, const WCHAR* caption, int id, int image_mode,
                                       bool transparent, int creator_value, int margin, const WCHAR* overlay)
    : CButtonOwnDrawImage(BASE_ARGS, TAIL_ARGS), m_extraId(extra_id) {
  m_extraPressed.m_text = extra ? extra : u"";
  m_extraUnpressed.m_text = m_extraPressed.m_text;
}

void CButtonExtraImages::GetConfigFromXMLChild() {
  CSkin* skin = CSkin::GetInstance();
  skin->ReadTextHolder(m_extraPressed, Child(u"./image[@id='" + m_extraId + u"_pressed']"));
  skin->ReadTextHolder(m_extraUnpressed, Child(u"./image[@id='" + m_extraId + u"_unpressed']"));
}

void CButtonExtraImages::LoadImagesChild() {
  m_extraPressedBitmap = LoadImage(m_extraPressed.m_text);
  if (!m_extraPressedBitmap)
    throw CBaseException(u"%s %s", Tr()->GetText(u"ERROR LOADING").c_str(), m_extraPressed.m_text.c_str());
  m_extraUnpressedBitmap = LoadImage(m_extraUnpressed.m_text);
  if (!m_extraUnpressedBitmap)
    throw CBaseException(u"%s %s", Tr()->GetText(u"ERROR LOADING").c_str(), m_extraUnpressed.m_text.c_str());
}

HBITMAP CButtonExtraImages::Extra(bool pressed, int& cx, int& cy, int& x, int& y, int& r, int& g, int& b) {
  if (pressed) {
    CopyPlacement(m_extraPressed, IMAGE_OUTS);
    return Loaded(m_extraPressedBitmap, m_extraPressed);
  }
  CopyPlacement(m_extraUnpressed, IMAGE_OUTS);
  return Loaded(m_extraUnpressedBitmap, m_extraUnpressed);
}

// --- band ---

CButtonBand::CButtonBand(CBaseWindow* parent, int x, int y, int cx, int cy, HINSTANCE instance,
                         const WCHAR* off_unpressed, const WCHAR* off_pressed, const WCHAR* on_pressed,
                         const WCHAR* on_unpressed, const WCHAR* disabled, const WCHAR* extra, const WCHAR* caption,
                         int id, int image_mode, bool transparent, int creator_value, int margin, const WCHAR* overlay)
    : CButtonExtraImages(u"auto", BASE_ARGS, extra, TAIL_ARGS) {}

HBITMAP CButtonBand::GetImagesForStatus(bool pressed, int& cx, int& cy, int& x, int& y, int& r, int& g, int& b) {
  switch (m_status.load()) {
    case -1: return Disabled(IMAGE_OUTS);
    case 0: return Extra(pressed, IMAGE_OUTS);
    case 1: return Off(pressed, IMAGE_OUTS);
    case 2: return On(pressed, IMAGE_OUTS);
    default: return Loaded(m_disabled, m_imgDisabled);  // no placement: the caller's defaults stay
  }
}

std::u16string CButtonBand::GetTextStatus() {
  switch (m_status.load()) {
    case -1: return Tr()->GetText(u"DISABLED");
    case 0: return Tr()->GetText(u"BAND AUTO");
    case 1: return Tr()->GetText(u"BAND 2G");
    case 2: return Tr()->GetText(u"BAND 3G");
    default: return u"??";
  }
}

// --- Bluetooth ---

CButtonBT::CButtonBT(CBaseWindow* parent, int x, int y, int cx, int cy, HINSTANCE instance, const WCHAR* off_unpressed,
                     const WCHAR* off_pressed, const WCHAR* on_pressed, const WCHAR* on_unpressed,
                     const WCHAR* disabled, const WCHAR* extra, const WCHAR* caption, int id, int image_mode,
                     bool transparent, int creator_value, int margin, const WCHAR* overlay)
    : CButtonExtraImages(u"discoverable", BASE_ARGS, extra, TAIL_ARGS) {}

HBITMAP CButtonBT::GetImagesForStatus(bool pressed, int& cx, int& cy, int& x, int& y, int& r, int& g, int& b) {
  switch (m_status.load()) {
    case 0: return Off(pressed, IMAGE_OUTS);
    case 1: return On(pressed, IMAGE_OUTS);
    case 2: return Extra(pressed, IMAGE_OUTS);
    default: return Disabled(IMAGE_OUTS);
  }
}

std::u16string CButtonBT::GetTextStatus() {
  switch (m_status.load()) {
    case -1: return Tr()->GetText(u"DISABLED");
    case 0: return Tr()->GetText(u"OFF");
    case 1: return Tr()->GetText(u"ON");
    case 2: return Tr()->GetText(u"DISCOVERABLE");
    default: return u"??";
  }
}

// --- speaker ---

CButtonSpeaker::CButtonSpeaker(CBaseWindow* parent, int x, int y, int cx, int cy, HINSTANCE instance,
                               const WCHAR* off_unpressed, const WCHAR* off_pressed, const WCHAR* on_pressed,
                               const WCHAR* on_unpressed, const WCHAR* disabled, const WCHAR* extra,
                               const WCHAR* caption, int id, int image_mode, bool transparent, int creator_value,
                               int margin, const WCHAR* overlay)
    : CButtonExtraImages(u"vibrate", BASE_ARGS, extra, TAIL_ARGS) {}

HBITMAP CButtonSpeaker::GetImagesForStatus(bool pressed, int& cx, int& cy, int& x, int& y, int& r, int& g, int& b) {
  switch (m_status.load()) {
    case 0: return Off(pressed, IMAGE_OUTS);
    case 1: return Extra(pressed, IMAGE_OUTS);
    case 2: return On(pressed, IMAGE_OUTS);
    default: return Disabled(IMAGE_OUTS);
  }
}

std::u16string CButtonSpeaker::GetTextStatus() {
  switch (m_status.load()) {
    case -1: return Tr()->GetText(u"DISABLED");
    case 0: return Tr()->GetText(u"OFF");
    case 1: return Tr()->GetText(u"VIBRATE");
    case 2: return Tr()->GetText(u"ON");
    default: return u"??";
  }
}

// --- data connections ---

CButtonConnections::CButtonConnections(CBaseWindow* parent, int x, int y, int cx, int cy, HINSTANCE instance,
                                       const WCHAR* off_unpressed, const WCHAR* off_pressed, const WCHAR* on_pressed,
                                       const WCHAR* on_unpressed, const WCHAR* disabled, const WCHAR* caption, int id,
                                       int image_mode, bool transparent, int creator_value, int margin,
                                       const WCHAR* overlay)
    : CButtonOwnDrawImage(BASE_ARGS, TAIL_ARGS) {
  m_status = 1;
}

HBITMAP CButtonConnections::GetImagesForStatus(bool pressed, int& cx, int& cy, int& x, int& y, int& r, int& g,
                                               int& b) {
  switch (m_status.load()) {
    case 1: return Off(false, IMAGE_OUTS);  // no pressed look for "disconnected"
    case 2: return On(pressed, IMAGE_OUTS);
    default: return Disabled(IMAGE_OUTS);  // status 0 included, though the window stays enabled
  }
}

std::u16string CButtonConnections::GetTextStatus() {
  switch (m_status.load()) {
    case -1:
    case 0: return Tr()->GetText(u"DISABLED");
    case 1: return Tr()->GetText(u"OFF");
    case 2: return Tr()->GetText(u"ON");
    default: return u"??";
  }
}

// --- phone ---

CButtonMobilePhone::CButtonMobilePhone(CBaseWindow* parent, int x, int y, int cx, int cy, HINSTANCE instance,
                                       const WCHAR* off_unpressed, const WCHAR* off_pressed, const WCHAR* on_pressed,
                                       const WCHAR* on_unpressed, const WCHAR* disabled, const WCHAR* caption, int id,
                                       int image_mode, bool transparent, int creator_value, int margin,
                                       const WCHAR* overlay)
    : CButtonOwnDrawImage(BASE_ARGS, TAIL_ARGS) {}

HBITMAP CButtonMobilePhone::GetImagesForStatus(bool pressed, int& cx, int& cy, int& x, int& y, int& r, int& g,
                                               int& b) {
  switch (m_status.load()) {
    case -1: return Disabled(IMAGE_OUTS);
    case 1: return Off(pressed, IMAGE_OUTS);
    default: return On(false, IMAGE_OUTS);  // 0 (radio on), 2 and any other: the unpressed "on" image
  }
}

std::u16string CButtonMobilePhone::GetTextStatus() {
  switch (m_status.load()) {
    case -1: return Tr()->GetText(u"DISABLED");
    case 0: return Tr()->GetText(u"ON");
    default: return Tr()->GetText(u"OFF");
  }
}

// --- Wi-Fi ---

CButtonWifi::CButtonWifi(CBaseWindow* parent, int x, int y, int cx, int cy, HINSTANCE instance,
                         const WCHAR* off_unpressed, const WCHAR* off_pressed, const WCHAR* on_pressed,
                         const WCHAR* on_unpressed, const WCHAR* disabled, const WCHAR* caption, int id,
                         int image_mode, bool transparent, int creator_value, int margin, const WCHAR* overlay)
    : CButtonOwnDrawImage(BASE_ARGS, TAIL_ARGS) {
  CWifiMgr* wifi = CWifiMgr::GetInstance();
  m_status = wifi && wifi->GetStatus() != 0 ? 1 : 0;
}

HBITMAP CButtonWifi::GetImagesForStatus(bool pressed, int& cx, int& cy, int& x, int& y, int& r, int& g, int& b) {
  switch (m_status.load()) {
    case 0: return Off(pressed, IMAGE_OUTS);
    case 1: return On(pressed, IMAGE_OUTS);
    default: return Disabled(IMAGE_OUTS);
  }
}

std::u16string CButtonWifi::GetTextStatus() {
  switch (m_status.load()) {
    case -1: return Tr()->GetText(u"DISABLED");
    case 0: return Tr()->GetText(u"OFF");
    case 1: return Tr()->GetText(u"ON");
    default: return Tr()->GetText(u"UNKNOWN");
  }
}
#undef BASE_ARGS
#undef TAIL_ARGS
#undef IMAGE_OUTS
