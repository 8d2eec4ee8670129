// The record of a processor fault as the platform hands it to a fault filter: the fault's code,
// flags and address, with the pointer pair that a filter receives.
#pragma once

#include "platform/base/types.h"

#ifndef EXCEPTION_MAXIMUM_PARAMETERS
#define EXCEPTION_MAXIMUM_PARAMETERS 15
#endif

struct EXCEPTION_RECORD {
  DWORD ExceptionCode;
  DWORD ExceptionFlags;
  EXCEPTION_RECORD* ExceptionRecord;
  PVOID ExceptionAddress;
  DWORD NumberParameters;
  ULONG_PTR ExceptionInformation[EXCEPTION_MAXIMUM_PARAMETERS];
};
using PEXCEPTION_RECORD = EXCEPTION_RECORD*;

struct EXCEPTION_POINTERS {
  PEXCEPTION_RECORD ExceptionRecord;
  PVOID ContextRecord;  // the processor state; not read by the library
};
using PEXCEPTION_POINTERS = EXCEPTION_POINTERS*;
