#include "velomar/core/Exceptions.h"

#include "teskautils/TeskaUtils.h"
#include "velomar/core/Config.h"
#include "velomar/core/Vibration.h"

namespace {
constexpr DWORD kDebugVibrationMs = 3000;
}

CBaseException::CBaseException() { Constructed(); }

CBaseException::CBaseException(const WCHAR* message) : m_message(SafeView(message)) { Constructed(); }

void CBaseException::Constructed() {
  if (CConfig::GetInstance()->GetDWORD(u"debug_info") == 1) VibratePhone(kDebugVibrationMs);
}

void CBaseException::ShowError() { ErrorBox(nullptr, u"Error:%s", m_message.c_str()); }
