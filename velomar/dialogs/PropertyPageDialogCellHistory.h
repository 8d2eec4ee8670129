// The cell history tab: the recent cells the radio reported, newest first, with time, cell id, LAC
// and place, coloured by how each was reported and whether it has a place (an owner-data list).
// From the list the user assigns an entry's cell (or LAC, by the location mode) to a place or takes
// it away; both change the location table and make the schedule engine re-evaluate. The menu also
// clears the history.
#pragma once

#include <atomic>
#include <optional>
#include <string>

#include "velomar/core/managers/CellHistory.h"
#include "velomar/dialogs/PropertyPage.h"

class CPropertyPageDialogCellHistory : public CPropertyPage, public ICellHistoryListener {
 public:
  explicit CPropertyPageDialogCellHistory(CPropertySheet* owner);
  ~CPropertyPageDialogCellHistory() override;

  void GetHelpId(std::u16string& id) override { id = u"cell_history"; }
  UINT GetTemplateId() override;
  std::u16string GetTitle() override;
  INT_PTR OnInitDialogChild(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override;
  INT_PTR OnContextMenuChild(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override;
  INT_PTR OnCommand(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override;
  INT_PTR OnNotifyChild(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override;
  INT_PTR OnInitMenuPopup(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override;
  INT_PTR OnSetActive() override;

  // The history's thread, after it released its lock: the new count is posted to the list.
  void OnCellHistoryChanged(int entry_count) override;

 private:
  // What an entry holds, copied under the history's lock: a later addition may delete the entry
  // while a dialog is open.
  struct Entry {
    int cell = 0;
    int lac = 0;
    int place = 0;
    std::u16string placeName;
  };
  std::optional<Entry> SelectedEntry();
  void Assign();
  void Unassign();
  // Assign and Unassign items of `menu` enabled by the selected entry's place.
  void EnableLocationItems(HMENU menu);
  void RedrawAll();

  std::atomic<HWND> m_list{nullptr};
  HMENU m_locationMenu = nullptr;
};
