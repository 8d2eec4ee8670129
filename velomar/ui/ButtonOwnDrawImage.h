// The skinned push button: a BUTTON child window in owner-draw style whose face is painted from
// theme images, colours and fonts, and a status listener of a manager: each status the manager
// reports is stored, enables or disables the window and selects the image drawn. A focused button
// writes its caption (and status text) into a band of its parent window.
//
// Also the process-wide image caches: file name -> bitmap (LoadImage) and (file name, size) ->
// resized bitmap (GetImage). Bitmaps live in the caches until the program ends; buttons never
// delete them. The caches are used on the UI thread only.
#pragma once

#include <atomic>
#include <string>

#include "platform/base/types.h"
#include "platform/controls/controls.h"
#include "platform/window/window.h"
#include "velomar/core/managers/Listeners.h"
#include "velomar/ui/ThemeRecords.h"

class CBaseWindow;
class CMgr;
struct IXMLDOMElement;

// One of the four border and brush looks of a button.
struct StateLook {
  int m_width = -1;
  ThemeRgb m_border;
  ThemeRgb m_brush;
};

// An entry of the scaled image cache. Equal entries have the same file name (case-sensitive)
// and size. Destroying an entry leaves its bitmap alone.
class CBitmapCacheEntry {
 public:
  CBitmapCacheEntry(HBITMAP bitmap, int cx, int cy, std::u16string file) : m_bitmap(bitmap), m_cx(cx), m_cy(cy), m_file(std::move(file)) {}
  virtual ~CBitmapCacheEntry() = default;
  bool operator==(const CBitmapCacheEntry& other) const {
    return m_file == other.m_file && m_cx == other.m_cx && m_cy == other.m_cy;
  }
  HBITMAP m_bitmap;
  int m_cx;
  int m_cy;
  std::u16string m_file;
};

class CButtonOwnDrawImage : public IStatusListener {
 public:
  // Image file names may be null (none). The caption is kept to 98 characters.
  CButtonOwnDrawImage(CBaseWindow* parent, int x, int y, int cx, int cy, HINSTANCE instance, const WCHAR* off_unpressed,
                      const WCHAR* off_pressed, const WCHAR* on_pressed, const WCHAR* on_unpressed,
                      const WCHAR* disabled, const WCHAR* caption, int id, int image_mode, bool transparent,
                      int creator_value, int margin, const WCHAR* overlay);

  // Stores the status, enables the window when it leaves -1 and disables it at -1, then
  // StatusChangedChild and a repaint. Any thread.
  void StatusChanged(int status, int mgr_id, int event) override;
  std::u16string GetName() override { return m_listenerName; }
  // Paints the button into the draw-item record's context.
  virtual void Draw(const DRAWITEMSTRUCT* item);
  // Reads the theme, creates the window, registers it with the parent and loads the images.
  // Throws CBaseException when the window cannot be made or an image cannot be loaded.
  virtual HWND Create();
  virtual void LoadImagesChild() {}
  // Stops listening to the manager it was attached to.
  virtual ~CButtonOwnDrawImage();
  virtual void StatusChangedChild() {}
  virtual bool IsTransparent() { return m_transparent; }
  virtual bool IsAutolocate() { return m_autolocate; }
  virtual int GetId() { return m_id; }
  // The bitmap for the current status and the pressed state, with that image's placement and
  // transparent colour copied out.
  virtual HBITMAP GetImagesForStatus(bool pressed, int& cx, int& cy, int& x, int& y, int& r, int& g, int& b);
  // The same for another status (the stored status is put back).
  virtual HBITMAP GetImagesForStatusAs(int status, bool pressed, int& cx, int& cy, int& x, int& y, int& r, int& g,
                                       int& b);
  virtual std::u16string GetTextStatus();
  virtual void GetConfigFromXMLChild() {}

  // Reads the theme's button element of the theme id (nothing when the id is empty or the
  // element absent).
  void GetConfigFromXML();
  // Registers the button as a status listener of `manager`; the destructor removes it again.
  void ListenTo(CMgr* manager);
  // Leaves the manager's listeners (the window's destruction, before the managers go).
  void StopListening();

  HWND GetHwnd() const { return m_hwnd; }
  int GetX() const { return m_position.x; }
  int GetY() const { return m_position.y; }
  int GetWidth() const { return m_position.cx; }
  int GetHeight() const { return m_position.cy; }
  void SetWidth(int cx) { m_position.cx = cx; }
  void SetHeight(int cy) { m_position.cy = cy; }
  void SetX(int x) { m_position.x = x; }
  void SetY(int y) { m_position.y = y; }
  void SetThemeId(const std::u16string& id) { m_themeId = id; }
  const std::u16string& GetThemeId() const { return m_themeId; }
  int GetStatus() const { return m_status; }
  // Sets the status shown without repainting (a popup's choice showing a manager's state).
  void SetStatusValue(int status) { m_status = status; }
  bool HasBorder() const { return m_border; }
  bool HasCaption() const { return m_text; }
  const WCHAR* GetCaption() const { return m_caption; }
  const std::u16string& GetLineText() const { return m_lineText; }

  // The bitmap of a theme image: from the file cache, else loaded from the theme folder, else
  // "question.png" of that folder (cached under the requested name, 0 included).
  static HBITMAP LoadImage(const std::u16string& file);
  // The image at exactly cx x cy: a resized copy made once per (name, size); the loaded bitmap
  // itself when it has that size already (or its size cannot be read).
  static HBITMAP GetImage(const std::u16string& file, int cx, int cy);

 protected:
  // Writes the caption (and " - " status text) into the parent's band.
  void DrawStatusText(HDC hdc);
  // The window procedure of every button window: key releases also go to the parent.
  static LRESULT ButtonSubclassProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
  // Loads a bitmap member from its image record when it is not loaded yet.
  static HBITMAP Loaded(HBITMAP& bitmap, const CTextHolder& image);
  // The off, on and disabled images (loaded when needed) with their placement copied out.
  HBITMAP Off(bool pressed, int& cx, int& cy, int& x, int& y, int& r, int& g, int& b);
  HBITMAP On(bool pressed, int& cx, int& cy, int& x, int& y, int& r, int& g, int& b);
  HBITMAP Disabled(int& cx, int& cy, int& x, int& y, int& r, int& g, int& b);
  // Copies an image record's placement and colour out.
  static void CopyPlacement(const CTextHolder& image, int& cx, int& cy, int& x, int& y, int& r, int& g, int& b);
  // Draws `bitmap` for the item rectangle the way the image mode, margin and transparency say.
  void DrawImage(HDC hdc, HBITMAP bitmap, const RECT& rc, int cx, int cy, int x, int y, int r, int g, int b);
  // Draws the overlay while focused.
  void DrawOverlay(HDC hdc, const RECT& rc);
  // The pen and brush of the current state: the themed ones when the theme look is on.
  void ChoosePenAndBrush(bool focused, bool pressed, HPEN& pen, HBRUSH& brush, bool& themed);
  // The child element `query` of the button element, or null.
  IXMLDOMElement* Child(const std::u16string& query);
  // An image record from `query` (element text = file name; attributes placement and colour).
  void ReadImage(const std::u16string& query, CTextHolder& image);
  // The bitmap Draw shows (the text button may take another button's images).
  virtual HBITMAP ChooseImage(bool pressed, int& cx, int& cy, int& x, int& y, int& r, int& g, int& b) {
    return GetImagesForStatus(pressed, cx, cy, x, y, r, g, b);
  }
  // Creates the window, registers it with the parent and loads the images (Create without the
  // theme read).
  HWND CreateButtonWindow();
  // The painting of Draw: `default_font_height` when the theme gives none, the caption in
  // `caption_rect`; `status_text` writes the parent's band while focused.
  void Paint(const DRAWITEMSTRUCT* item, int default_font_height, RECT caption_rect, bool status_text);

  std::u16string m_listenerName = u"CButtonOwnDrawImage";
  CBaseWindow* m_parent;
  HWND m_hwnd = nullptr;
  ThemePosition m_position;
  HINSTANCE m_instance;
  WCHAR m_caption[99] = {};
  HBITMAP m_offUnpressed = nullptr;
  HBITMAP m_offPressed = nullptr;
  HBITMAP m_onUnpressed = nullptr;
  HBITMAP m_disabled = nullptr;
  HBITMAP m_overlay = nullptr;
  HBITMAP m_onPressed = nullptr;
  int m_margin;
  int m_id;
  std::atomic<int> m_status{0};
  int m_imageMode;
  bool m_transparent;
  std::u16string m_lineText;
  bool m_autolocate = true;
  IXMLDOMElement* m_node = nullptr;
  std::u16string m_themeId;
  StateLook m_looks[4];  // focused+pressed, focused+unpressed, not focused+pressed, not focused+unpressed
  CFontDescription m_font;
  CTextHolder m_imgOnPressed, m_imgOnUnpressed, m_imgOffPressed, m_imgOffUnpressed, m_imgDisabled, m_imgOverlay;
  CTextState m_topText;
  bool m_border = true;
  bool m_text = true;
  int m_creatorValue;
  CMgr* m_manager = nullptr;
  int m_managerId = -1;
};

// The option popups' button: like the image button, but its theme is read by its creator, its
// caption sits lower, and it can show another button's images (the image source) under its own
// status.
class CButtonOwnDrawText : public CButtonOwnDrawImage {
 public:
  // One image file for all five state images; x and y 0, no overlay.
  CButtonOwnDrawText(CBaseWindow* parent, int cx, int cy, HINSTANCE instance, const WCHAR* image, const WCHAR* caption,
                     int id, int image_mode, bool transparent, int margin);
  void Draw(const DRAWITEMSTRUCT* item) override;
  HWND Create() override;
  // The image file name given at construction.
  virtual std::u16string GetText() { return m_imageFile; }
  void SetImageSource(CButtonOwnDrawImage* source) { m_imageSource = source; }
  CButtonOwnDrawImage* GetImageSource() const { return m_imageSource; }

 protected:
  HBITMAP ChooseImage(bool pressed, int& cx, int& cy, int& x, int& y, int& r, int& g, int& b) override;

  std::u16string m_imageFile;
  CButtonOwnDrawImage* m_imageSource = nullptr;
};
