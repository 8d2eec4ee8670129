// The wide button at the top of the main window that shows where the phone is: the picture of the
// current place, the LAC and cell id of the serving cell (red: the key places are matched by), the
// location mode and whether the schedule engine holds a locked place. It listens to the radio
// interface manager: a new cell or LAC works the place out again from the database and tells the
// main window the place's name and the period in force.
//
// Threads: the radio manager calls StatusChanged on its own threads; the place and the texts are
// kept under a lock, painting happens on the UI thread.
#pragma once

#include <mutex>
#include <string>

#include "velomar/places/Records.h"
#include "velomar/ui/ButtonOwnDrawImage.h"

class CButtonOwnCurrentLocation : public CButtonOwnDrawImage {
 public:
  CButtonOwnCurrentLocation(CBaseWindow* parent, const WCHAR* caption, int id, HINSTANCE instance);

  // Refreshes only when the cell id or the LAC changed.
  void StatusChanged(int status, int mgr_id, int event) override;
  std::u16string GetName() override { return u"CButtonOwnCurrentLocation"; }
  void Draw(const DRAWITEMSTRUCT* item) override;
  // Loads "unknown.png" (the fallback picture); throws "ERROR LOADING" when it cannot be loaded.
  void LoadImagesChild() override;
  void StatusChangedChild() override { RefreshPlace(); }
  // The place's name into the caption; the name of its period that holds now (or empty).
  std::u16string GetTextStatus() override;
  void GetConfigFromXMLChild() override;

  // Works the current place out (the locked place, else the place of the cell or LAC, else the
  // setting "last_place" when there is no cell) and tells the main window place and period. A
  // location whose place is missing is logged ("LAC ASSIGNED BUT NO PLACE") and the default place
  // (key 0) is used.
  void RefreshPlace();
  // The current place's picture (after RefreshPlace), the fallback when it cannot be loaded; the
  // placement of the theme's place image copied out.
  virtual HBITMAP GetPlaceImage(bool pressed, int& cx, int& cy, int& x, int& y);
  CStrPlace GetPlace();
  // The two texts of the main window's place line: the place's name and the period text.
  std::u16string GetPlaceName();
  std::u16string GetFrameText();
  DWORD GetShownLac() const { return m_lac.load(); }
  DWORD GetShownCell() const { return m_cellId.load(); }

 private:
  HBITMAP m_placeBitmap = nullptr;
  HBITMAP m_fallbackBitmap = nullptr;
  std::atomic<DWORD> m_lac{0};
  std::atomic<DWORD> m_cellId{0};
  std::mutex m_placeLock;  // the place and the two texts
  CStrPlace m_place;
  std::u16string m_placeName;
  std::u16string m_frameText;
  CTextHolder m_placeImage;
  CTextHolder m_backgroundImage;
  CButtonText m_lacText;
  CButtonText m_cellText;
  CButtonText m_modeText;
  CButtonText m_lockText;
};
