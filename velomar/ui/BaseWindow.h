// The base of Velomar's own top-level windows (the main window and the option popups): the link
// from a window handle to its object, one virtual handler per message, a guard that shows what a
// handler throws, the window's owner-drawn buttons in registration order, their layout in rows
// from the bottom of the client area, owner-draw routing and focus movement among the buttons
// with the cursor and tab keys. UI thread only.
#pragma once

#include <map>
#include <vector>

#include "platform/base/types.h"
#include "platform/window/window.h"

class CButtonOwnDrawImage;

class CBaseWindow {
 public:
  using ButtonMap = std::map<HWND, CButtonOwnDrawImage*>;
  using ButtonList = std::vector<CButtonOwnDrawImage*>;

  // `auto_layout` set: Create lays the buttons out after InitGUI.
  explicit CBaseWindow(BYTE auto_layout);
  // Deletes the registered buttons.
  virtual ~CBaseWindow();
  CBaseWindow(const CBaseWindow&) = delete;
  CBaseWindow& operator=(const CBaseWindow&) = delete;

  // One message, dispatched to its handler inside the guard: a CBaseException is shown with
  // "ERROR WITH STRING PARAM" and its message, anything else with "THERE WAS AN ERROR"; the
  // result is then 0. The arrow cursor is set after every message.
  virtual LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
  // Stores the instance and returns InitGUI's result (then Relayout(1) with auto-layout).
  virtual int Create(HINSTANCE instance, int value1, int value2);
  virtual HWND GetHwnd() { return m_hwnd; }
  // Appends the button to the list and maps its handle to it; a null handle or button throws
  // CBaseException ("ERROR REGISTERING BUTTON").
  virtual void RegisterButton(HWND button_window, CButtonOwnDrawImage* button);
  virtual ButtonMap& GetButtonMap() { return m_buttonMap; }
  virtual ButtonList& GetButtonList() { return m_buttonList; }
  // 0 portrait, 1 landscape, 2 square: from the desktop window the first time, then kept.
  virtual int GetOrientation();
  virtual void SetActiveChild(CBaseWindow* child) { m_activeChild = child; }
  // 1 low resolution, 2 VGA.
  virtual int GetResolution() { return m_resolution; }
  // The derived window registers its class and creates its window here.
  virtual int InitGUI(HINSTANCE instance, int value1, int value2) = 0;

  virtual LRESULT OnEnterButton(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
  virtual LRESULT OnInitDialog(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
  virtual LRESULT OnClose(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
  virtual LRESULT OnCreate(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
  virtual LRESULT OnCommand(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
  virtual LRESULT OnDestroy(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
  // Focus to the first enabled button; 0.
  virtual LRESULT OnSetFocus(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
  virtual LRESULT OnKillFocus(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
  virtual LRESULT OnInitMenuPopup(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
  // On key release: down, tab and right move the focus to the next enabled button, up and left
  // to the previous one (wrapping); F6 calls OnEnterButton. Then the default procedure.
  virtual LRESULT OnKeyUp(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
  virtual LRESULT OnSize(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
  virtual LRESULT OnPaint(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
  // The button named by the draw-item record draws itself; an unknown one throws.
  virtual LRESULT OnDrawItem(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
  // Every message without a handler of its own.
  virtual LRESULT DefaultProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
  // Mode 1 lays the buttons out again.
  virtual void Relayout(int mode, int value);
  // Rows of buttons from the bottom band upward, left to right (layout-managed buttons get the
  // window's button size); then AfterReorder.
  virtual void ReorderShell();
  // Asked for each button as the rows are laid out: true when the window has placed the button
  // itself, which then takes no place in the rows.
  virtual bool PlaceApart(CButtonOwnDrawImage*) { return false; }
  virtual void AfterReorder() {}
  // The rows of ReorderShell, without its trace line.
  void LayOutButtonRows();

  // Another name of GetOrientation.
  int GetScreenMode() { return GetOrientation(); }
  // Where the last layout ended: right edge of the last button and top of its row.
  int GetLayoutRight() const { return m_layoutRight; }
  int GetLayoutTop() const { return m_layoutTop; }
  // The enabled button after (or before) the given window, wrapping, disabled ones skipped; a
  // window that is no button starts at the first button. Null when no button is enabled.
  CButtonOwnDrawImage* FindNextButton(HWND from, bool forward);

  // The procedure every window class of these windows registers: the object by the window map,
  // else the window being created, else the default procedure. What escapes an object's
  // WindowProc asks for an orderly restart and answers 0.
  static LRESULT StaticWindowProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
  static void SetWindowObject(HWND hwnd, CBaseWindow* window);
  static void RemoveWindowObject(HWND hwnd);
  static CBaseWindow* GetWindowObject(HWND hwnd);
  static void SetCreatingWindow(CBaseWindow* window);
  static void ClearCreatingWindow() { SetCreatingWindow(nullptr); }

 protected:
  LRESULT Dispatch(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);

  HINSTANCE m_instance = nullptr;
  HWND m_hwnd = nullptr;
  ButtonMap m_buttonMap;
  ButtonList m_buttonList;
  int m_layoutRight = 0;
  int m_layoutTop = 0;
  BYTE m_autoLayout = 0;
  int m_orientation = 3;
  int m_resolution = 1;
  int m_buttonWidth = 0;
  int m_buttonHeight = 0;
  CBaseWindow* m_activeChild = nullptr;
};
