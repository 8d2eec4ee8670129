// Choosers of one tap. CDialogChooseList shows every place (but the place of key 0) as its icon
// and name; CDialogChooseIcon the place icons the current theme offers ("place_*.png"). A tap on
// an item picks it and ends the dialog with 1 (chosen key: the place key, or in the icon chooser
// the index into GetFileNames); 2 on cancel. Templates: portrait 153, landscape 154, square 155
// (list view 1018); soft-key bar 155.
#pragma once

#include <string>
#include <vector>

#include "platform/controls/commctrl.h"
#include "velomar/dialogs/BaseDialog.h"

class CDialogChooseList : public CBaseDialog {
 public:
  CDialogChooseList(HWND parent, UINT template_id);
  ~CDialogChooseList() override;

  INT_PTR OnInit(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override;
  INT_PTR OnNotify(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override;
  INT_PTR OnCommand(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) override;
  virtual void SetUpList();
  virtual void FillList();

  int m_chosenKey = -1;
  std::u16string m_chosenText;

 protected:
  HWND List() const;
  // A new 25 x 25, 24-bit image list, owned by the dialog (destroyed with it).
  HIMAGELIST MakeImageList();

  HIMAGELIST m_images = nullptr;
};

class CDialogChooseIcon : public CDialogChooseList {
 public:
  CDialogChooseIcon(HWND parent, UINT template_id);

  void SetUpList() override;
  void FillList() override;
  virtual const std::vector<std::u16string>& GetFileNames() const { return m_fileNames; }

 private:
  std::vector<std::u16string> m_fileNames;
};
