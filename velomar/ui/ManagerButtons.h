// The main window's device buttons, one per manager: each maps its manager's status to an image
// and a status text; band, Bluetooth and speaker also show an extra image pair (automatic band,
// discoverable, vibrate) read from the theme.
//
// Constructors take the image button's arguments; band, Bluetooth and speaker take one more file
// name after the disabled image's, used for both extra images.
#pragma once

#include "velomar/ui/ButtonOwnDrawImage.h"

// A button with the extra image pair: `extra_id` names the theme images
// "<extra_id>_pressed" and "<extra_id>_unpressed".
class CButtonExtraImages : public CButtonOwnDrawImage {
 public:
  CButtonExtraImages(const char16_t* extra_id, CBaseWindow* parent, int x, int y, int cx, int cy, HINSTANCE instance,
                     const WCHAR* off_unpressed, const WCHAR* off_pressed, const WCHAR* on_pressed,
                     const WCHAR* on_unpressed, const WCHAR* disabled, const WCHAR* extra, const WCHAR* caption, int id,
                     int image_mode, bool transparent, int creator_value, int margin, const WCHAR* overlay);
  // Loads both extra images; a file that cannot be loaded (nor the fallback) throws.
  void LoadImagesChild() override;
  void GetConfigFromXMLChild() override;

 protected:
  // The extra image for the pressed state, with its placement copied out.
  HBITMAP Extra(bool pressed, int& cx, int& cy, int& x, int& y, int& r, int& g, int& b);

  std::u16string m_extraId;
  CTextHolder m_extraPressed;
  CTextHolder m_extraUnpressed;
  HBITMAP m_extraPressedBitmap = nullptr;
  HBITMAP m_extraUnpressedBitmap = nullptr;
};

// Band: 0 automatic (extra), 1 2G (off), 2 3G (on).
class CButtonBand : public CButtonExtraImages {
 public:
  CButtonBand(CBaseWindow* parent, int x, int y, int cx, int cy, HINSTANCE instance, const WCHAR* off_unpressed,
              const WCHAR* off_pressed, const WCHAR* on_pressed, const WCHAR* on_unpressed, const WCHAR* disabled,
              const WCHAR* extra, const WCHAR* caption, int id, int image_mode, bool transparent, int creator_value, int margin,
              const WCHAR* overlay);
  HBITMAP GetImagesForStatus(bool pressed, int& cx, int& cy, int& x, int& y, int& r, int& g, int& b) override;
  std::u16string GetTextStatus() override;
};

// Bluetooth: 0 off, 1 on, 2 discoverable (extra).
class CButtonBT : public CButtonExtraImages {
 public:
  CButtonBT(CBaseWindow* parent, int x, int y, int cx, int cy, HINSTANCE instance, const WCHAR* off_unpressed,
              const WCHAR* off_pressed, const WCHAR* on_pressed, const WCHAR* on_unpressed, const WCHAR* disabled,
              const WCHAR* extra, const WCHAR* caption, int id, int image_mode, bool transparent, int creator_value, int margin,
              const WCHAR* overlay);
  HBITMAP GetImagesForStatus(bool pressed, int& cx, int& cy, int& x, int& y, int& r, int& g, int& b) override;
  std::u16string GetTextStatus() override;
};

// Speaker: 0 off, 1 vibrate (extra), 2 on.
class CButtonSpeaker : public CButtonExtraImages {
 public:
  CButtonSpeaker(CBaseWindow* parent, int x, int y, int cx, int cy, HINSTANCE instance, const WCHAR* off_unpressed,
              const WCHAR* off_pressed, const WCHAR* on_pressed, const WCHAR* on_unpressed, const WCHAR* disabled,
              const WCHAR* extra, const WCHAR* caption, int id, int image_mode, bool transparent, int creator_value, int margin,
              const WCHAR* overlay);
  HBITMAP GetImagesForStatus(bool pressed, int& cx, int& cy, int& x, int& y, int& r, int& g, int& b) override;
  std::u16string GetTextStatus() override;
};

// Data connections: 0 disabled (the disabled image, the window stays enabled), 1 disconnected
// (off), 2 connected (on). Starts at status 1.
class CButtonConnections : public CButtonOwnDrawImage {
 public:
  CButtonConnections(CBaseWindow* parent, int x, int y, int cx, int cy, HINSTANCE instance, const WCHAR* off_unpressed,
              const WCHAR* off_pressed, const WCHAR* on_pressed, const WCHAR* on_unpressed, const WCHAR* disabled,
              const WCHAR* caption, int id, int image_mode, bool transparent, int creator_value, int margin,
              const WCHAR* overlay);
  void StatusChangedChild() override {}
  HBITMAP GetImagesForStatus(bool pressed, int& cx, int& cy, int& x, int& y, int& r, int& g, int& b) override;
  std::u16string GetTextStatus() override;
};

// Phone (radio): 0 on, any other status off.
class CButtonMobilePhone : public CButtonOwnDrawImage {
 public:
  CButtonMobilePhone(CBaseWindow* parent, int x, int y, int cx, int cy, HINSTANCE instance, const WCHAR* off_unpressed,
              const WCHAR* off_pressed, const WCHAR* on_pressed, const WCHAR* on_unpressed, const WCHAR* disabled,
              const WCHAR* caption, int id, int image_mode, bool transparent, int creator_value, int margin,
              const WCHAR* overlay);
  HBITMAP GetImagesForStatus(bool pressed, int& cx, int& cy, int& x, int& y, int& r, int& g, int& b) override;
  std::u16string GetTextStatus() override;
};

// Wi-Fi: 0 off, 1 on. Starts at 1 when the Wi-Fi manager's status is not 0.
class CButtonWifi : public CButtonOwnDrawImage {
 public:
  CButtonWifi(CBaseWindow* parent, int x, int y, int cx, int cy, HINSTANCE instance, const WCHAR* off_unpressed,
              const WCHAR* off_pressed, const WCHAR* on_pressed, const WCHAR* on_unpressed, const WCHAR* disabled,
              const WCHAR* caption, int id, int image_mode, bool transparent, int creator_value, int margin,
              const WCHAR* overlay);
  HBITMAP GetImagesForStatus(bool pressed, int& cx, int& cy, int& x, int& y, int& r, int& g, int& b) override;
  std::u16string GetTextStatus() override;
};

