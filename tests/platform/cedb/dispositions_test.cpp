// The mount dispositions are the files' own: a program that includes the database header before
// the files header (or only the database header) gets the same constants, of the same type, with no
// second definition (checked when this file compiles).
#include "platform/cedb/cedb.h"
#include "platform/files/files.h"

#include <type_traits>

static_assert(std::is_same_v<decltype(OPEN_EXISTING), decltype(CREATE_NEW)>);
static_assert(std::is_unsigned_v<decltype(OPEN_ALWAYS)>, "as CreateFileW's DWORD disposition");
static_assert(CREATE_NEW == 1u && CREATE_ALWAYS == 2u && OPEN_EXISTING == 3u && OPEN_ALWAYS == 4u &&
              TRUNCATE_EXISTING == 5u);
