#include "velomar/dialogs/DialogChooseList.h"

#include "platform/controls/commctrl.h"
#include "platform/files/files.h"
#include "platform/window/window.h"
#include "velomar/core/Trace.h"
#include "velomar/places/DB.h"
#include "velomar/places/TablePlaces.h"
#include "velomar/ui/ButtonOwnDrawImage.h"
#include "velomar/ui/Skin.h"

namespace {
constexpr int kList = 1018;
constexpr int kImageSize = 25;

void InsertItem(HWND list, int index, const std::u16string* text, int image, LPARAM param) {
  LVITEMW item{};
  item.mask = LVIF_IMAGE | LVIF_PARAM | (text ? LVIF_TEXT : 0u);
  item.iItem = index;
  item.iImage = image;
  item.lParam = param;
  std::u16string copy = text ? *text : std::u16string();
  item.pszText = text ? copy.data() : nullptr;
  SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
}
}  // namespace

CDialogChooseList::CDialogChooseList(HWND parent, UINT template_id) : CBaseDialog(template_id, parent, nullptr, 155) {}

CDialogChooseList::~CDialogChooseList() {
  if (m_images) ImageList_Destroy(m_images);
}

HWND CDialogChooseList::List() const { return GetDlgItem(m_dialog, kList); }

HIMAGELIST CDialogChooseList::MakeImageList() {
  if (m_images) ImageList_Destroy(m_images);
  m_images = ImageList_Create(kImageSize, kImageSize, ILC_COLOR24, 20, 5);
  return m_images;
}

INT_PTR CDialogChooseList::OnInit(HWND, UINT, WPARAM, LPARAM) {
  Trace(0, u"CDialogChooseList::OnInit");
  SetUpList();
  SetSoftKeyText(IDCANCEL, Text(u"CANCEL"));
  SetSoftKeyText(kCmdMenuKeyAlt, u"");
  return TRUE;
}

void CDialogChooseList::SetUpList() {
  HWND list = List();
  SetWindowLongW(list, GWL_STYLE, 0x50800200);
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, 0x10000000);
  FillList();
}

void CDialogChooseList::FillList() {
  HWND list = List();
  HIMAGELIST images = MakeImageList();
  std::vector<CStrPlace> places;
  if (CDB* db = CDB::GetInstance()) db->GetPlacesTable()->GetAllRecords(places);
  int index = 0;
  for (const CStrPlace& place : places) {
    if (place.GetIdPlace() == 0) continue;
    const int image = ImageList_Add(images, CButtonOwnDrawImage::GetImage(place.GetImage(), kImageSize, kImageSize),
                                    nullptr);
    InsertItem(list, index++, &place.GetName(), image, place.GetIdPlace());
  }
  SendMessageW(list, LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(images));
}

INT_PTR CDialogChooseList::OnNotify(HWND hwnd, UINT, WPARAM, LPARAM lparam) {
  const auto* header = reinterpret_cast<const NMHDR*>(lparam);
  if (header == nullptr || header->idFrom != kList || header->code != static_cast<UINT>(NM_CLICK)) return FALSE;
  const auto* click = reinterpret_cast<const NMITEMACTIVATE*>(lparam);
  if (click->iItem == -1) return FALSE;
  WCHAR text[260] = {};
  LVITEMW item{};
  item.mask = LVIF_TEXT | LVIF_PARAM;
  item.iItem = click->iItem;
  item.pszText = text;
  item.cchTextMax = 260;
  if (SendMessageW(header->hwndFrom, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) {
    m_chosenKey = static_cast<int>(item.lParam);
    m_chosenText = text;
    EndDialog(hwnd, 1);
  }
  return FALSE;
}

INT_PTR CDialogChooseList::OnCommand(HWND hwnd, UINT, WPARAM wparam, LPARAM) {
  const UINT command = LOWORD(wparam);
  if (command == IDOK) EndDialog(hwnd, 1);
  else if (command == IDCANCEL) EndDialog(hwnd, 2);
  return TRUE;
}

CDialogChooseIcon::CDialogChooseIcon(HWND parent, UINT template_id) : CDialogChooseList(parent, template_id) {}

void CDialogChooseIcon::SetUpList() {
  HWND list = List();
  SetWindowLongW(list, GWL_STYLE, 0x50800200);
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, 0x10000000);
  SendMessageW(list, LVM_SETICONSPACING, 0, MAKELPARAM(25, 40));
  FillList();
}

void CDialogChooseIcon::FillList() {
  HWND list = List();
  HIMAGELIST images = MakeImageList();
  m_fileNames.clear();
  const std::u16string folder = CSkin::GetInstance()->GetThemeFolder();
  WIN32_FIND_DATAW found{};
  HANDLE search = FindFirstFileW((folder + u"place_*.png").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
      const int index = static_cast<int>(m_fileNames.size());
      m_fileNames.emplace_back(found.cFileName);
      const int image =
          ImageList_Add(images, CButtonOwnDrawImage::GetImage(m_fileNames.back(), kImageSize, kImageSize), nullptr);
      InsertItem(list, index, nullptr, image, index);
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  SendMessageW(list, LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(images));
}
