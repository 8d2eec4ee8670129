#include "velomar/places/Records.h"

#include "platform/text/format.h"
#include "platform/time/time.h"
#include "velomar/core/Config.h"

using velomar::places::kToStringChars;

void CStrBase::WriteOut(WCHAR* buffer, const std::u16string& text) {
  if (buffer) ce::text::CopyOut(buffer, kToStringChars, text);
}

// ---- Actions ---------------------------------------------------------------------------------------

CStrAction::CStrAction() {
  GetLocalTime(&m_stOp1);
  m_stOp2 = m_stOp1;
  m_stOp3 = m_stOp1;
}

CStrAction::CStrAction(const CStrAction& other) : CStrBase(other) { *this = other; }

CStrAction& CStrAction::operator=(const CStrAction& other) {
  if (this == &other) return *this;
  CStrBase::operator=(other);
  m_key = other.m_key;
  m_kind = other.m_kind;
  m_idPeriod = other.m_idPeriod;
  m_trigger = other.m_trigger;
  m_szOp1 = other.m_szOp1;
  m_szOp2 = other.m_szOp2;
  m_szOp3 = other.m_szOp3;
  m_intOp1 = other.m_intOp1;
  SetIntOp2(other.m_intOp2);
  m_intOp3 = other.m_intOp3;
  m_stOp1 = other.m_stOp1;
  m_stOp2 = other.m_stOp2;
  m_stOp3 = other.m_stOp3;
  return *this;
}

void CStrAction::ToString(WCHAR* buffer) const {
  WriteOut(buffer, ce::text::Format(u"CStrAction:[%d,%d,%d,%d,%d,%s,%s,%s,%d,%d,%d]", static_cast<int>(GetId()),
                                    m_key, m_kind, m_idPeriod, m_trigger, m_szOp1.c_str(), m_szOp2.c_str(),
                                    m_szOp3.c_str(), m_intOp1, m_intOp2, m_intOp3));
}

void CStrAction::Reset() {
  m_kind = -1;
  m_idPeriod = -1;
  m_szOp1.clear();
  m_szOp2.clear();
  m_szOp3.clear();
  m_intOp1 = -1;
  m_intOp2 = 0;
  m_intOp3 = -1;
  GetLocalTime(&m_stOp1);
  m_stOp2 = m_stOp1;
  m_stOp3 = m_stOp1;
}

std::u16string CStrAction::DayMaskText() const { return ce::text::Format(u"%08d", m_intOp2); }

bool CStrAction::IsEnabled() const { return (m_intOp2 & 1) == 0; }

bool CStrAction::IsOffToday() const {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  // Sunday is digit 0, then the week runs backwards: Saturday 1 ... Monday 6.
  const std::size_t digit = (7u - now.wDayOfWeek % 7u) % 7u;
  const std::u16string text = DayMaskText();
  return digit < text.size() && text[digit] == u'0';
}

bool operator<(const CStrAction& a, const CStrAction& b) { return a.GetKey() < b.GetKey(); }

// ---- Cells and LACs --------------------------------------------------------------------------------

void CStrCell::ToString(WCHAR* buffer) const {
  WriteOut(buffer, ce::text::Format(u"CStrCell:[%d,%d,%d]", static_cast<int>(GetId()), m_value, m_place));
}

void CStrCell::Reset() {
  m_value = 0;
  m_place = 0;
}

void CStrLAC::ToString(WCHAR* buffer) const {
  WriteOut(buffer, ce::text::Format(u"CStrLAC:[%d,%d,%d]", static_cast<int>(GetId()), m_value, m_place));
}

void CStrLAC::Reset() {
  m_value = 0;
  m_place = 0;
  SetId(0);
}

std::unique_ptr<CStrLocation> CreateLocationRecord() {
  if (CConfig::GetInstance()->GetDWORD(u"location_mode") != 0) return std::make_unique<CStrCell>();
  return std::make_unique<CStrLAC>();
}

bool LessByKey(const CStrLocation& a, const CStrLocation& b) { return a.GetKey() < b.GetKey(); }

// ---- Periods ---------------------------------------------------------------------------------------

void CStrPeriod::ToString(WCHAR* buffer) const {
  WriteOut(buffer, ce::text::Format(u"CStrPeriod:[%d,%d,%s,%d,(%02d:%02d),(%02d:%02d)]", static_cast<int>(GetId()),
                                    m_key, m_name.c_str(), m_idPlace, int{m_begin.wHour}, int{m_begin.wMinute},
                                    int{m_end.wHour}, int{m_end.wMinute}));
}

void CStrPeriod::Reset() {
  m_key = -1;
  m_idPlace = -1;
  m_name.clear();
  m_begin = SYSTEMTIME{};
  m_end = SYSTEMTIME{};
}

bool CStrPeriod::EndsSameDay() const {
  if (m_end.wHour == 0) return true;
  if (m_end.wHour != m_begin.wHour) return m_end.wHour > m_begin.wHour;
  return m_end.wMinute >= m_begin.wMinute;
}

bool CStrPeriod::operator<(const CStrPeriod& other) const {
  if (m_begin.wHour != other.m_begin.wHour) return m_begin.wHour < other.m_begin.wHour;
  return m_begin.wMinute < other.m_begin.wMinute;
}

// ---- Places ----------------------------------------------------------------------------------------

CStrPlace::CStrPlace(const std::u16string& name, const std::u16string& description, const std::u16string& image,
                     int key)
    : m_name(name), m_description(description), m_image(image), m_idPlace(key) {}

void CStrPlace::ToString(WCHAR* buffer) const {
  WriteOut(buffer, ce::text::Format(u"CStrPlace:[%d,%d,%s,%s,%s]", static_cast<int>(GetId()), m_idPlace,
                                    m_name.c_str(), m_description.c_str(), m_image.c_str()));
}

void CStrPlace::Reset() {
  m_idPlace = -1;
  SetId(0);
  m_name.clear();
  m_description.clear();
  m_image.clear();
}
