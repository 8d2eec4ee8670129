// Serial ports: "COMn:" opened with CreateFileW, configured and read and written through the
// file handle. A port name maps to a host device by the registry value HKEY_LOCAL_MACHINE
// "\Host\SerialPorts" "COMn" (REG_SZ, the host path, e.g. "/dev/ttyUSB0").
#pragma once

#include "platform/base/types.h"

#define CBR_110 110u
#define CBR_300 300u
#define CBR_600 600u
#define CBR_1200 1200u
#define CBR_2400 2400u
#define CBR_4800 4800u
#define CBR_9600 9600u
#define CBR_14400 14400u
#define CBR_19200 19200u
#define CBR_38400 38400u
#define CBR_57600 57600u
#define CBR_115200 115200u

#define NOPARITY 0
#define ODDPARITY 1
#define EVENPARITY 2
#define MARKPARITY 3
#define SPACEPARITY 4
#define ONESTOPBIT 0
#define ONE5STOPBITS 1
#define TWOSTOPBITS 2

#define DTR_CONTROL_DISABLE 0
#define DTR_CONTROL_ENABLE 1
#define DTR_CONTROL_HANDSHAKE 2
#define RTS_CONTROL_DISABLE 0
#define RTS_CONTROL_ENABLE 1
#define RTS_CONTROL_HANDSHAKE 2
#define RTS_CONTROL_TOGGLE 3

#define EV_RXCHAR 0x0001u
#define EV_RXFLAG 0x0002u
#define EV_TXEMPTY 0x0004u
#define EV_CTS 0x0008u
#define EV_DSR 0x0010u
#define EV_RLSD 0x0020u
#define EV_BREAK 0x0040u
#define EV_ERR 0x0080u
#define EV_RING 0x0100u

#define PURGE_TXABORT 0x0001u
#define PURGE_RXABORT 0x0002u
#define PURGE_TXCLEAR 0x0004u
#define PURGE_RXCLEAR 0x0008u

#define SETXOFF 1u
#define SETXON 2u
#define SETRTS 3u
#define CLRRTS 4u
#define SETDTR 5u
#define CLRDTR 6u
#define SETBREAK 8u
#define CLRBREAK 9u

#define CE_RXOVER 0x0001u
#define CE_OVERRUN 0x0002u
#define CE_RXPARITY 0x0004u
#define CE_FRAME 0x0008u
#define CE_BREAK 0x0010u

#define MAXDWORD 0xFFFFFFFFu

struct DCB {
  DWORD DCBlength;
  DWORD BaudRate;
  DWORD fBinary : 1;
  DWORD fParity : 1;
  DWORD fOutxCtsFlow : 1;
  DWORD fOutxDsrFlow : 1;
  DWORD fDtrControl : 2;
  DWORD fDsrSensitivity : 1;
  DWORD fTXContinueOnXoff : 1;
  DWORD fOutX : 1;
  DWORD fInX : 1;
  DWORD fErrorChar : 1;
  DWORD fNull : 1;
  DWORD fRtsControl : 2;
  DWORD fAbortOnError : 1;
  DWORD fDummy2 : 17;
  WORD wReserved;
  WORD XonLim;
  WORD XoffLim;
  BYTE ByteSize;
  BYTE Parity;
  BYTE StopBits;
  char XonChar;
  char XoffChar;
  char ErrorChar;
  char EofChar;
  char EvtChar;
  WORD wReserved1;
};
using LPDCB = DCB*;

// Read: with interval MAXDWORD and both totals 0 a read answers at once with what has arrived;
// otherwise it ends when the count is read, when the total (multiplier x count + constant) runs
// out, or when the interval passes between two bytes. A time-out is success with fewer bytes.
// Write: the total (multiplier x count + constant); 0 and 0 wait as long as it takes.
struct COMMTIMEOUTS {
  DWORD ReadIntervalTimeout;
  DWORD ReadTotalTimeoutMultiplier;
  DWORD ReadTotalTimeoutConstant;
  DWORD WriteTotalTimeoutMultiplier;
  DWORD WriteTotalTimeoutConstant;
};
using LPCOMMTIMEOUTS = COMMTIMEOUTS*;

struct COMSTAT {
  DWORD fCtsHold : 1;
  DWORD fDsrHold : 1;
  DWORD fRlsdHold : 1;
  DWORD fXoffHold : 1;
  DWORD fXoffSent : 1;
  DWORD fEof : 1;
  DWORD fTxim : 1;
  DWORD fReserved : 25;
  DWORD cbInQue;
  DWORD cbOutQue;
};
using LPCOMSTAT = COMSTAT*;

BOOL GetCommState(HANDLE port, LPDCB dcb);
// Baud rates from 110 to 115200 (and 230400); 5 to 8 data bits; every parity; one or two stop
// bits. Anything else: ERROR_INVALID_PARAMETER and the settings stay.
BOOL SetCommState(HANDLE port, LPDCB dcb);
BOOL GetCommTimeouts(HANDLE port, LPCOMMTIMEOUTS timeouts);
BOOL SetCommTimeouts(HANDLE port, LPCOMMTIMEOUTS timeouts);
BOOL SetCommMask(HANDLE port, DWORD mask);
BOOL GetCommMask(HANDLE port, LPDWORD mask);
// Aborts make reads and writes blocked in other threads return (with what they have); clears
// discard the host's buffers.
BOOL PurgeComm(HANDLE port, DWORD flags);
BOOL EscapeCommFunction(HANDLE port, DWORD function);
BOOL ClearCommError(HANDLE port, LPDWORD errors, LPCOMSTAT status);
BOOL SetupComm(HANDLE port, DWORD in_queue, DWORD out_queue);
