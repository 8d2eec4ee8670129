// Many changes of one volume in one transaction. Not a call of the device's CEDB, where every
// write reaches the store as it is made: here each write is a transaction of its own, and a bulk
// load of many thousand records spends most of its time committing them one by one.
#pragma once

#include "platform/cedb/cedb.h"

namespace ce::cedb {

// From here every change of the mounted volume, through any handle of this process, joins one
// transaction until EndBatch; each change is still all or nothing on its own. Other processes
// wait for the volume until the batch ends, so a batch suits a volume of the caller's own (one
// built aside). FALSE with the last error: ERROR_INVALID_PARAMETER for an unknown CEGUID,
// ERROR_BUSY while a batch is open, or the reason the volume cannot be changed.
BOOL BeginBatch(PCEGUID guid);
// Commits the batch (`keep`) or drops every change made in it. FALSE with the last error when the
// commit fails (nothing of the batch is kept then) or no batch is open (ERROR_INVALID_PARAMETER).
BOOL EndBatch(PCEGUID guid, bool keep);

}  // namespace ce::cedb
