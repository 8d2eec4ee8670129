// What CreateFileW and CeMountDBVolEx do when the file is there or not: one definition for both.
#pragma once

#define CREATE_NEW 1u
#define CREATE_ALWAYS 2u
#define OPEN_EXISTING 3u
#define OPEN_ALWAYS 4u
#define TRUNCATE_EXISTING 5u
