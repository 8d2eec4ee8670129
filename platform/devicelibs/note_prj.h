// note_prj.dll: the storage-card search. A card is a folder of the device root named in the
// device folder's "storage_cards.txt" (one name per line, UTF-8; blank lines ignored); without
// that file the folder "\Storage Card" is the one card, when it exists. Cards come in the root's
// listing order. The search handle is an ordinary find handle: close it with FindClose.
#pragma once

#include "platform/files/files.h"

// The first card (its folder name in cFileName), or INVALID_HANDLE_VALUE with ERROR_NO_MORE_FILES
// when there is none (ERROR_INVALID_PARAMETER for a null record).
HANDLE FindFirstFlashCard(LPWIN32_FIND_DATAW data);
// The next card; FALSE with ERROR_NO_MORE_FILES after the last (ERROR_INVALID_HANDLE for a handle
// that is not a card search of this process).
BOOL FindNextFlashCard(HANDLE search, LPWIN32_FIND_DATAW data);
