#include "velomar/ui/ButtonOwnDrawImage.h"

CButtonOwnDrawText::CButtonOwnDrawText(CBaseWindow* parent, int cx, int cy, HINSTANCE instance, const WCHAR* image,
                                       const WCHAR* caption, int id, int image_mode, bool transparent, int margin)
    : CButtonOwnDrawImage(parent, 0, 0, cx, cy, instance, image, image, image, image, image, caption, id, image_mode,
                          transparent, 0, margin, nullptr),
      m_imageFile(image ? image : u"") {}

HWND CButtonOwnDrawText::Create() { return CreateButtonWindow(); }

void CButtonOwnDrawText::Draw(const DRAWITEMSTRUCT* item) {
  if (!item) return;
  const RECT& rc = item->rcItem;
  // Without a theme look the built-in pens and brushes apply, but the band is not written.
  Paint(item, 10, RECT{1, rc.bottom - 12, rc.right - 1, rc.bottom - 1}, false);
}

HBITMAP CButtonOwnDrawText::ChooseImage(bool pressed, int& cx, int& cy, int& x, int& y, int& r, int& g, int& b) {
  HBITMAP bitmap = m_imageSource ? m_imageSource->GetImagesForStatusAs(m_status.load(), pressed, cx, cy, x, y, r, g, b)
                                 : GetImagesForStatus(pressed, cx, cy, x, y, r, g, b);
  if (!bitmap) bitmap = Loaded(m_offUnpressed, m_imgOffUnpressed);
  return bitmap;
}
