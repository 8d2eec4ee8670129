#include "cumulor/app/app_context.h"
