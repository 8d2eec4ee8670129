#include "platform/gdi/gdi.h"
