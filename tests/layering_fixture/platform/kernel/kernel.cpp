#include "velomar/core/app/App.h"
