// CEDB database volumes: a volume is one file at its CE path holding databases of records; a
// record is a set of typed properties addressed by property id, and each database keeps its
// records in the order of its sort keys. Failures answer 0 / FALSE / INVALID_HANDLE_VALUE with the
// thread's last error set.
#pragma once

#include "platform/base/errors.h"
#include "platform/base/types.h"

#ifndef ERROR_SEEK
#define ERROR_SEEK 25L
#endif
#ifndef ERROR_DUP_NAME
#define ERROR_DUP_NAME 52L
#endif

using CEOID = DWORD;
using CEPROPID = DWORD;
using PCEPROPID = CEPROPID*;
using LPWORD = WORD*;

struct CEGUID {
  DWORD Data1;
  DWORD Data2;
  DWORD Data3;
  DWORD Data4;
};
using PCEGUID = CEGUID*;

// Property types: the low word of a property id.
#define CEVT_I2 2
#define CEVT_I4 3
#define CEVT_R8 5
#define CEVT_BOOL 11
#define CEVT_UI2 18
#define CEVT_UI4 19
#define CEVT_LPWSTR 31
#define CEVT_FILETIME 64
#define CEVT_BLOB 65
#define CEVT_AUTO_I4 0x66  // a 32-bit key the database numbers itself, from 0
#define TypeFromPropID(propid) LOWORD(propid)

struct CEBLOB {
  DWORD dwCount;
  LPBYTE lpb;
};

union CEVALUNION {
  SHORT iVal;
  USHORT uiVal;
  LONG lVal;
  ULONG ulVal;
  FILETIME filetime;
  LPWSTR lpwstr;
  CEBLOB blob;
  BOOL boolVal;
  double dblVal;
};

// CEPROPVAL.wFlags
#define CEDB_PROPNOTFOUND 0x0100  // read: the record has no such property
#define CEDB_PROPDELETE 0x0200    // write: remove the property from the record

struct CEPROPVAL {
  CEPROPID propid;
  WORD wLenData;
  WORD wFlags;
  CEVALUNION val;
};

// Sort orders.
#define CEDB_MAXDBASENAMELEN 32
#define CEDB_MAXSORTORDER 4
#define CEDB_MAXSORTPROP 3
#define CEDB_SORT_DESCENDING 0x00000001
#define CEDB_SORT_CASEINSENSITIVE 0x00000002
#define CEDB_SORT_UNKNOWNFIRST 0x00000004
// Key flags of a sort order: either makes the key unique (a duplicate is refused with 183).
#define CEDB_SORT_UNIQUE 0x0200
#define CEDB_SORT_PRIMARYKEY 0x1000

struct SORTORDERSPEC {
  CEPROPID propid;
  DWORD dwFlags;
};

struct SORTORDERSPECEX {
  WORD wVersion;
  WORD wNumProps;
  WORD wKeyFlags;
  WORD wReserved;
  CEPROPID rgPropID[CEDB_MAXSORTPROP];
  DWORD rgdwFlags[CEDB_MAXSORTPROP];
};

// CEDBASEINFO(EX).dwFlags: which fields are valid.
#define CEDB_VALIDNAME 0x0001
#define CEDB_VALIDTYPE 0x0002
#define CEDB_VALIDSORTSPEC 0x0004
#define CEDB_VALIDMODTIME 0x0008

struct CEDBASEINFO {
  DWORD dwFlags;
  WCHAR szDbaseName[CEDB_MAXDBASENAMELEN];
  DWORD dwDbaseType;
  WORD wNumRecords;
  WORD wNumSortOrder;
  DWORD dwSize;
  FILETIME ftLastModified;
  SORTORDERSPEC rgSortSpecs[CEDB_MAXSORTORDER];
};

struct CEDBASEINFOEX {
  WORD wVersion;
  WORD wNumSortOrder;
  DWORD dwFlags;
  WCHAR szDbaseName[CEDB_MAXDBASENAMELEN];
  DWORD dwDbaseType;
  DWORD dwNumRecords;
  DWORD dwSize;
  FILETIME ftLastModified;
  SORTORDERSPECEX rgSortSpecs[CEDB_MAXSORTORDER];
};

struct CEPROPSPEC {
  WORD wVersion;
  CEPROPID propid;
  DWORD dwFlags;
  LPWSTR pwszPropName;
  DWORD cchPropName;
};

// Open flags.
#define CEDB_AUTOINCREMENT 0x00000001  // each read moves to the next record

// Seek types.
#define CEDB_SEEK_CEOID 0x00000001
#define CEDB_SEEK_BEGINNING 0x00000002
#define CEDB_SEEK_END 0x00000004
#define CEDB_SEEK_CURRENT 0x00000008
#define CEDB_SEEK_VALUEFIRSTEQUAL 0x00000020
#define CEDB_SEEK_VALUENEXTEQUAL 0x00000080

// Read flags.
#define CEDB_ALLOWREALLOC 0x00000001  // the buffer is a local-heap block the read may grow

// Mount dispositions: those of files (CREATE_NEW, OPEN_EXISTING, ...).
#include "platform/base/creation_dispositions.h"

struct CEVOLUMEOPTIONS;
struct CENOTIFYREQUEST;

BOOL CeMountDBVolEx(PCEGUID guid, LPCWSTR volume, CEVOLUMEOPTIONS* options, DWORD disposition);
BOOL CeUnmountDBVol(PCEGUID guid);
BOOL CeFlushDBVol(PCEGUID guid);

CEOID CeCreateDatabaseWithProps(PCEGUID guid, CEDBASEINFOEX* info, DWORD prop_count, CEPROPSPEC* props);
CEOID CeCreateDatabaseEx(PCEGUID guid, CEDBASEINFO* info);
// Opens by name, or by object id when `name` is null. A missing database fails with
// ERROR_FILE_NOT_FOUND. The sort order must be one the database was created with (null: the first).
HANDLE CeOpenDatabaseInSession(HANDLE session, PCEGUID guid, CEOID* oid, LPCWSTR name, SORTORDERSPECEX* sort,
                               DWORD flags, CENOTIFYREQUEST* notify);
HANDLE CeOpenDatabaseEx(PCEGUID guid, CEOID* oid, LPCWSTR name, CEPROPID sort_prop, DWORD flags,
                        CENOTIFYREQUEST* notify);
BOOL CeDeleteDatabase(PCEGUID guid, CEOID oid);
// Database enumeration: a find handle over the volume's databases (type 0: all), each call to
// CeFindNextDatabaseEx answers the next database's object id, 0 with ERROR_NO_MORE_ITEMS at the end.
HANDLE CeFindFirstDatabaseEx(PCEGUID guid, DWORD type);
CEOID CeFindNextDatabaseEx(HANDLE find, PCEGUID guid);
BOOL CeGetDatabaseInfoEx(PCEGUID guid, CEOID oid, CEDBASEINFOEX* info);

// `value`: the offset for positional seeks, the object id for CEDB_SEEK_CEOID, a CEPROPVAL array
// of `value_count` entries for value seeks.
CEOID CeSeekDatabaseEx(HANDLE db, DWORD seek_type, DWORD_PTR value, WORD value_count, LPDWORD index);
// Reads the current record. `prop_ids` null: every property, the sort key first. The buffer holds
// the CEPROPVAL array followed by its texts and blobs.
CEOID CeReadRecordPropsEx(HANDLE db, DWORD flags, LPWORD prop_count, CEPROPID* prop_ids, LPBYTE* buffer,
                          LPDWORD buffer_size, HANDLE heap);
// Object id 0 creates a record; otherwise changes the named properties of that record.
CEOID CeWriteRecordProps(HANDLE db, CEOID oid, WORD prop_count, CEPROPVAL* values);
BOOL CeDeleteRecord(HANDLE db, CEOID oid);
