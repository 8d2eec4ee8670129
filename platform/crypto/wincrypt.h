// The CryptoAPI subset of the platform: a provider context, SHA-1 hashes, DES keys derived from a
// hash, and block enciphering with the provider's defaults (CBC, zero initialisation vector,
// PKCS#5 padding on the final block).
#pragma once

#include "platform/base/types.h"

using HCRYPTPROV = ULONG_PTR;
using HCRYPTHASH = ULONG_PTR;
using HCRYPTKEY = ULONG_PTR;
using ALG_ID = UINT;

#define PROV_RSA_FULL 1u

#define CRYPT_VERIFYCONTEXT 0xF0000000u
#define CRYPT_NEWKEYSET 0x00000008u
#define CRYPT_DELETEKEYSET 0x00000010u
#define CRYPT_SILENT 0x00000040u

#define CALG_SHA1 0x00008004u
#define CALG_DES 0x00006601u

#define HP_ALGID 0x0001u
#define HP_HASHVAL 0x0002u
#define HP_HASHSIZE 0x0004u

// Error codes of the service (set as the last error).
#define NTE_BAD_DATA 0x80090005u
#define NTE_BAD_HASH 0x80090002u
#define NTE_BAD_KEY 0x80090003u
#define NTE_BAD_LEN 0x80090004u
#define NTE_BAD_FLAGS 0x80090009u
#define NTE_BAD_ALGID 0x80090008u
#define NTE_BAD_HASH_STATE 0x8009000Bu
#define NTE_BAD_UID 0x80090001u
#define NTE_BAD_TYPE 0x8009000Au
#define NTE_BAD_KEYSET 0x80090016u
#define NTE_PROV_TYPE_NOT_DEF 0x80090017u
#define NTE_BAD_PROV_TYPE 0x80090014u

BOOL CryptAcquireContextW(HCRYPTPROV* provider, LPCWSTR container, LPCWSTR provider_name,
                          DWORD provider_type, DWORD flags);
BOOL CryptReleaseContext(HCRYPTPROV provider, DWORD flags);

BOOL CryptCreateHash(HCRYPTPROV provider, ALG_ID algorithm, HCRYPTKEY key, DWORD flags,
                     HCRYPTHASH* hash);
BOOL CryptHashData(HCRYPTHASH hash, const BYTE* data, DWORD length, DWORD flags);
BOOL CryptGetHashParam(HCRYPTHASH hash, DWORD param, BYTE* data, DWORD* length, DWORD flags);
BOOL CryptDestroyHash(HCRYPTHASH hash);

// The key is the first bytes of the finished hash value (8 for DES); the hash can then take no
// more data.
BOOL CryptDeriveKey(HCRYPTPROV provider, ALG_ID algorithm, HCRYPTHASH hash, DWORD flags,
                    HCRYPTKEY* key);
BOOL CryptDestroyKey(HCRYPTKEY key);

// In place. A chain of calls continues the CBC chain; the final call pads (enciphering) or
// checks and strips the padding (deciphering) and starts the next chain afresh.
BOOL CryptEncrypt(HCRYPTKEY key, HCRYPTHASH hash, BOOL final, DWORD flags, BYTE* data,
                  DWORD* length, DWORD capacity);
BOOL CryptDecrypt(HCRYPTKEY key, HCRYPTHASH hash, BOOL final, DWORD flags, BYTE* data,
                  DWORD* length);
