// The profiles page of the options sheet: a profile (a place) chosen in a combo box, its time
// frames in a list with a 24-hour bar under it, and the actions of the chosen time frame in a
// second list, run on entering (column 1) or leaving (column 2) the time frame. The soft-key menu
// adds, edits and removes profiles and time frames and adds actions; tapping an action's cell opens
// a popup that changes, reschedules or deletes it.
//
// Time-frame edits and removals tell the schedule engine at once; action edits only mark the page
// changed, and the engine is told once when the page is left.
//
// UI thread only (inside the modal sheet).
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/window/window.h"
#include "velomar/dialogs/PropertyPage.h"
#include "velomar/places/Records.h"

class CPropertySheetOptions;

class CPropertyPageDialogProfiles : public CPropertyPage {
 public:
  // Controls of the page.
  static constexpr int kProfileLabel = 1104;
  static constexpr int kProfileCombo = 1072;
  static constexpr int kTimeFrameList = 1018;
  static constexpr int kCaption = 1082;
  static constexpr int kActionList = 1019;
  // Commands of the page's menu.
  static constexpr UINT kCmdAddProfile = 40155;
  static constexpr UINT kCmdEditProfile = 40156;
  static constexpr UINT kCmdRemoveProfile = 40157;
  static constexpr UINT kCmdAddTimeFrame = 40148;
  static constexpr UINT kCmdEditTimeFrame = 40149;
  static constexpr UINT kCmdRemoveTimeFrame = 40150;
  static constexpr int kRows = 100;

  explicit CPropertyPageDialogProfiles(CPropertySheet* owner);
  ~CPropertyPageDialogProfiles() override;

  void GetHelpId(std::u16string& id) override { id = u"profiles_dialog"; }
  // Portrait 171, landscape 172, any other screen mode 170.
  UINT GetTemplateId() override;
  INT_PTR OnInitDialogChild(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override;
  // Tap and hold on the time-frame list: add, edit or remove a time frame.
  INT_PTR OnContextMenuChild(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override;
  INT_PTR OnCommand(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override;
  // The day bar under the time-frame list.
  INT_PTR OnPaint(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override;
  INT_PTR OnCtlColorStatic(HWND, UINT, WPARAM, LPARAM) override { return TRUE; }
  // The lists' colours, a tap on an action cell, a time frame selected.
  INT_PTR OnNotifyChild(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override;
  INT_PTR OnSetActive() override;
  INT_PTR OnKillActive() override;
  std::u16string GetTitle() override;

  // Action additions that ask for their parameters in a dialog, then for the week days.
  virtual void AddMailAction(int trigger);
  virtual void AddOpenFileAction(int trigger);
  virtual void AddBacklightAction(int trigger);
  virtual void AddTodayThemeAction(int trigger);
  virtual void AddRingToneAction(int trigger);
  virtual void AddSmsAction(int trigger);
  void AddMessageAction(int trigger, int kind, bool sms);
  virtual void SelectTimeFrame(int key);
  virtual void RemoveProfile();
  virtual void SelectProfileInCombo(int place_key);
  virtual void AddProfile();
  virtual void EditProfile();
  virtual void AddTimeFrame();
  virtual void EditTimeFrame();
  virtual void RemoveTimeFrame();

  // Makes the profile of `place_key` (-1: none) the shown one and refreshes the page.
  void ShowRegistry(int place_key);
  void FillProfileCombo();
  // Refills the time-frame list, marks the item of `key` (else the first) and shows its actions;
  // the marked key, -1 when the list is empty (the page then has no current time frame).
  int FillTimeFrameList(int key);
  COLORREF GetTimeFrameColor(int key);
  void SetActionsCaption(const std::u16string& profile, const std::u16string& time_frame);
  void RefreshActionList();
  // The popup of the action with that object id.
  void EditAction(CEOID id);
  // One action per time frame, kind and trigger, set to `value` after the week dialog.
  void SetStatusAction(int kind, int trigger, int value, const std::u16string& text);
  void AddCallForwardAction(int on, int trigger);

  // State (tests).
  const CStrPlace& GetCurrentProfile() const { return m_profile; }
  const CStrPeriod& GetCurrentTimeFrame() const { return m_timeFrame; }
  bool IsChanged() const { return m_changed != 0; }
  CEOID GetCellId(int row, int trigger) const { return m_actionCellIds[row][trigger]; }

 private:
  CPropertySheetOptions* Sheet() const;
  HWND Item(int id) const { return GetDlgItem(m_hwnd, id); }
  // The current profile's time frames in begin order.
  std::vector<CStrPeriod> SortedTimeFrames();
  // The data (key) of the time-frame list's marked item; false when there is none or it cannot
  // be read (after the box or the report).
  bool MarkedTimeFrameKey(int& key);
  // The page's menu texts and commands, rewritten from the text ids.
  void RelabelMenu();
  // The week days of an action: the chosen mask after OK, false otherwise.
  bool AskDays(int initial_mask, int& mask);
  // True when the page has a time frame to add actions to; else the box "SELECT PROFILE SCHEDULE".
  bool HasTimeFrame();
  void RunActionCommand(UINT command);
  // After an action was stored: the page is changed and the list shown again.
  void ActionsChanged();
  // The time frame, caption and action list emptied (no time frame is shown).
  void ForgetTimeFrame();

  HANDLE m_lock;
  int m_changed = 0;
  std::map<int, int> m_startRows;
  std::map<int, int> m_endRows;
  CEOID m_actionCellIds[kRows][2] = {};
  CStrPlace m_profile;
  CStrPeriod m_timeFrame;
};
