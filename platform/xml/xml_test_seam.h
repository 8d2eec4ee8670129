// Test seam of the XML document service.
#pragma once

#include "platform/base/types.h"

namespace ce::xml {

// The next CoCreateInstance of the document class fails with `hr` (one call only).
void FailNextDocumentCreation(HRESULT hr);

}  // namespace ce::xml
