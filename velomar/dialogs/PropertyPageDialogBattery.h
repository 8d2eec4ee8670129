// The battery tab: the charge history of the battery log drawn as a line of percent against time,
// over everything, the last day, the last hour or the last 10 minutes; two taps give the duration,
// the change and the rate between the records tapped. The menu also clears and exports the log.
#pragma once

#include "velomar/dialogs/PropertyPage.h"

class CPropertyPageDialogBattery : public CPropertyPage {
 public:
  explicit CPropertyPageDialogBattery(CPropertySheet* owner);
  ~CPropertyPageDialogBattery() override;

  void GetHelpId(std::u16string& id) override { id = u"battery_dialog"; }
  UINT GetTemplateId() override;
  std::u16string GetTitle() override;
  INT_PTR OnInitDialogChild(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override;
  INT_PTR OnCommand(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override;
  INT_PTR OnPaint(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override;
  // A tap on the graph: the record under it becomes the first or the second point.
  INT_PTR OnLButtonDown(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override;
  INT_PTR OnNotifyChild(HWND, UINT, WPARAM, LPARAM) override { return FALSE; }
  INT_PTR OnSetActive() override;

  int GetScale() const { return m_scale; }

 private:
  void DrawHistory(HDC dc);
  void ExportHistory();

  int m_scale = 0;
  HFONT m_font = nullptr;
  HPEN m_graphPen = nullptr;
  RECT m_plot{};  // left, top, right, bottom of the last paint
  int m_firstX = -1, m_secondX = -1;
  int m_firstY = 0, m_secondY = 0;
  SYSTEMTIME m_firstTime{}, m_secondTime{};
  int m_firstCharge = 0, m_secondCharge = 0;
};
