#include "platform/kernel/last_error.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "platform/base/errors.h"
#include "platform/kernel/thread_state.h"

namespace {

struct ErrorText {
  DWORD code;
  std::u16string_view text;
};

// The texts of the system error codes this system reports.
constexpr ErrorText kErrorTexts[] = {
    {ERROR_SUCCESS, u"The operation completed successfully."},
    {ERROR_INVALID_FUNCTION, u"Incorrect function."},
    {ERROR_FILE_NOT_FOUND, u"The system cannot find the file specified."},
    {ERROR_PATH_NOT_FOUND, u"The system cannot find the path specified."},
    {ERROR_TOO_MANY_OPEN_FILES, u"The system cannot open the file."},
    {ERROR_ACCESS_DENIED, u"Access is denied."},
    {ERROR_INVALID_HANDLE, u"The handle is invalid."},
    {ERROR_NOT_ENOUGH_MEMORY, u"Not enough storage is available to process this command."},
    {ERROR_BAD_FORMAT, u"An attempt was made to load a program with an incorrect format."},
    {ERROR_INVALID_ACCESS, u"The access code is invalid."},
    {ERROR_INVALID_DATA, u"The data is invalid."},
    {ERROR_OUTOFMEMORY, u"Not enough storage is available to complete this operation."},
    {ERROR_INVALID_DRIVE, u"The system cannot find the drive specified."},
    {ERROR_NO_MORE_FILES, u"There are no more files."},
    {ERROR_WRITE_FAULT, u"The system cannot write to the specified device."},
    {ERROR_READ_FAULT, u"The system cannot read from the specified device."},
    {ERROR_GEN_FAILURE, u"A device attached to the system is not functioning."},
    {ERROR_SHARING_VIOLATION, u"The process cannot access the file because it is being used by another process."},
    {ERROR_LOCK_VIOLATION, u"The process cannot access the file because another process has locked a portion of the file."},
    {ERROR_HANDLE_EOF, u"Reached the end of the file."},
    {ERROR_HANDLE_DISK_FULL, u"The disk is full."},
    {ERROR_NOT_SUPPORTED, u"The request is not supported."},
    {ERROR_FILE_EXISTS, u"The file exists."},
    {ERROR_CANNOT_MAKE, u"The directory or file cannot be created."},
    {ERROR_INVALID_PARAMETER, u"The parameter is incorrect."},
    {ERROR_BROKEN_PIPE, u"The pipe has been ended."},
    {ERROR_OPEN_FAILED, u"The system cannot open the device or file specified."},
    {ERROR_BUFFER_OVERFLOW, u"The file name is too long."},
    {ERROR_DISK_FULL, u"There is not enough space on the disk."},
    {ERROR_CALL_NOT_IMPLEMENTED, u"This function is not supported on this system."},
    {ERROR_SEM_TIMEOUT, u"The semaphore timeout period has expired."},
    {ERROR_INSUFFICIENT_BUFFER, u"The data area passed to a system call is too small."},
    {ERROR_INVALID_NAME, u"The filename, directory name, or volume label syntax is incorrect."},
    {ERROR_MOD_NOT_FOUND, u"The specified module could not be found."},
    {ERROR_PROC_NOT_FOUND, u"The specified procedure could not be found."},
    {ERROR_NEGATIVE_SEEK, u"An attempt was made to move the file pointer before the beginning of the file."},
    {ERROR_DIR_NOT_EMPTY, u"The directory is not empty."},
    {ERROR_BAD_PATHNAME, u"The specified path is invalid."},
    {ERROR_BUSY, u"The requested resource is in use."},
    {ERROR_ALREADY_EXISTS, u"Cannot create a file when that file already exists."},
    {ERROR_BAD_EXE_FORMAT, u"The program is not a valid application."},
    {ERROR_ENVVAR_NOT_FOUND, u"The system could not find the environment option that was entered."},
    {ERROR_NO_DATA, u"The pipe is being closed."},
    {ERROR_PIPE_NOT_CONNECTED, u"No process is on the other end of the pipe."},
    {ERROR_MORE_DATA, u"More data is available."},
    {WAIT_TIMEOUT, u"The wait operation timed out."},
    {ERROR_NO_MORE_ITEMS, u"No more data is available."},
    {ERROR_DIRECTORY, u"The directory name is invalid."},
    {ERROR_NOT_OWNER, u"Attempt to release mutex not owned by caller."},
    {ERROR_PARTIAL_COPY, u"Only part of a memory read or write request was completed."},
    {ERROR_MR_MID_NOT_FOUND, u"The system cannot find message text for the message number."},
    {ERROR_INVALID_ADDRESS, u"Attempt to access invalid address."},
    {ERROR_OPERATION_ABORTED, u"The I/O operation has been aborted because of either a thread exit or an application request."},
    {ERROR_IO_PENDING, u"Overlapped I/O operation is in progress."},
    {ERROR_NOACCESS, u"Invalid access to memory location."},
    {ERROR_CANTOPEN, u"The configuration registry key could not be opened."},
    {ERROR_CANTREAD, u"The configuration registry key could not be read."},
    {ERROR_CANTWRITE, u"The configuration registry key could not be written."},
    {ERROR_REGISTRY_CORRUPT, u"The registry is corrupted."},
    {ERROR_KEY_DELETED, u"Illegal operation attempted on a registry key that has been marked for deletion."},
    {ERROR_DLL_INIT_FAILED, u"A dynamic link library (DLL) initialization routine failed."},
    {ERROR_NOT_FOUND, u"Element not found."},
    {ERROR_INVALID_WINDOW_HANDLE, u"Invalid window handle."},
    {ERROR_INVALID_MENU_HANDLE, u"Invalid menu handle."},
    {ERROR_CLASS_ALREADY_EXISTS, u"Class already exists."},
    {ERROR_CLASS_DOES_NOT_EXIST, u"Class does not exist."},
    {ERROR_RESOURCE_DATA_NOT_FOUND, u"The specified image file did not contain a resource section."},
    {ERROR_RESOURCE_TYPE_NOT_FOUND, u"The specified resource type cannot be found in the image file."},
};

const ErrorText* FindText(DWORD code) {
  for (const auto& e : kErrorTexts) {
    if (e.code == code) return &e;
  }
  return nullptr;
}

}  // namespace

DWORD GetLastError() { return ce::kernel::CurrentThreadState().last_error; }

void SetLastError(DWORD code) { ce::kernel::CurrentThreadState().last_error = code; }

DWORD FormatMessageW(DWORD flags, LPCVOID, DWORD message_id, DWORD, LPWSTR buffer, DWORD size,
                     va_list*) {
  if (!(flags & FORMAT_MESSAGE_FROM_SYSTEM) || (flags & (FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_FROM_HMODULE))) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return 0;
  }
  if (!buffer) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const ErrorText* entry = FindText(message_id);
  if (!entry) {
    SetLastError(ERROR_MR_MID_NOT_FOUND);
    return 0;
  }
  std::u16string text(entry->text);
  text += u"\r\n";
  const DWORD length = static_cast<DWORD>(text.size());
  LPWSTR out = buffer;
  if (flags & FORMAT_MESSAGE_ALLOCATE_BUFFER) {
    // `size` is then the least number of characters to allocate.
    SIZE_T chars = std::max<SIZE_T>(length + 1, size);
    out = static_cast<LPWSTR>(LocalAlloc(LPTR, chars * sizeof(WCHAR)));
    if (!out) {
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return 0;
    }
    *reinterpret_cast<LPWSTR*>(buffer) = out;
  } else if (size < length + 1) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::memcpy(out, text.data(), length * sizeof(WCHAR));
  out[length] = 0;
  return length;
}

// Each block carries its size in front of it (LocalSize, and LMEM_ZEROINIT on growth).
namespace {
constexpr SIZE_T kHeader = 16;  // keeps the block's alignment

SIZE_T& SizeOf(void* block) { return *reinterpret_cast<SIZE_T*>(static_cast<char*>(block) - kHeader); }
}  // namespace

HLOCAL LocalAlloc(UINT flags, SIZE_T bytes) {
  if (bytes > SIZE_MAX - kHeader) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  char* raw = static_cast<char*>((flags & LMEM_ZEROINIT) ? std::calloc(1, kHeader + bytes)
                                                         : std::malloc(kHeader + bytes));
  if (!raw) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  *reinterpret_cast<SIZE_T*>(raw) = bytes;
  return raw + kHeader;
}

HLOCAL LocalReAlloc(HLOCAL block, SIZE_T bytes, UINT flags) {
  if (!block) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  if (bytes > SIZE_MAX - kHeader) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  SIZE_T old_size = SizeOf(block);
  char* raw = static_cast<char*>(std::realloc(static_cast<char*>(block) - kHeader, kHeader + bytes));
  if (!raw) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;  // the old block stays valid
  }
  *reinterpret_cast<SIZE_T*>(raw) = bytes;
  if ((flags & LMEM_ZEROINIT) && bytes > old_size) std::memset(raw + kHeader + old_size, 0, bytes - old_size);
  return raw + kHeader;
}

HLOCAL LocalFree(HLOCAL block) {
  if (block) std::free(static_cast<char*>(block) - kHeader);
  return nullptr;
}

SIZE_T LocalSize(HLOCAL block) { return block ? SizeOf(block) : 0; }
