#include "platform/window/window.h"
