// Opening files and devices, and I/O on their handles.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/files/ce_path.h"
#include "platform/files/device_drivers.h"
#include "platform/files/file_system_seam.h"
#include "platform/files/files.h"
#include "platform/files/host_file.h"
#include "platform/kernel/last_error.h"
#include "platform/text/utf.h"

using ce::files::FileCall;
using ce::files::FileObject;
using ce::files::FileSystemSeam;
namespace internal = ce::files::internal;
using internal::Result;

namespace {

HANDLE FailHandle(DWORD error) {
  SetLastError(error);
  return INVALID_HANDLE_VALUE;
}

std::shared_ptr<FileObject> FileOf(HANDLE h) { return ce::kernel::LookupAs<FileObject>(h); }

HANDLE OpenDevice(std::u16string_view name, DWORD access, DWORD share) {
  ce::files::DeviceFactory factory = internal::FindDeviceDriver(name);
  if (!factory) return FailHandle(ERROR_FILE_NOT_FOUND);
  DWORD error = ERROR_FILE_NOT_FOUND;
  std::shared_ptr<FileObject> device = factory(name, access, share, &error);
  if (!device) return FailHandle(error ? error : ERROR_GEN_FAILURE);
  SetLastError(ERROR_SUCCESS);
  return ce::kernel::InsertHandle(std::move(device));
}

}  // namespace

HANDLE CreateFileW(LPCWSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode, LPVOID /*lpSecurityAttributes*/,
                   DWORD dwCreationDisposition, DWORD dwFlagsAndAttributes, HANDLE /*hTemplateFile*/) {
  if (!lpFileName) return FailHandle(ERROR_INVALID_PARAMETER);
  std::u16string_view name = ce::text::WideView(lpFileName);
  if (name.empty()) return FailHandle(ERROR_PATH_NOT_FOUND);
  if (dwCreationDisposition < CREATE_NEW || dwCreationDisposition > TRUNCATE_EXISTING) {
    return FailHandle(ERROR_INVALID_PARAMETER);
  }
  const bool writes = dwDesiredAccess & (GENERIC_WRITE | GENERIC_ALL);
  if (dwCreationDisposition == TRUNCATE_EXISTING && !writes) return FailHandle(ERROR_INVALID_PARAMETER);
  if (DWORD error = FileSystemSeam::Get().TakeFailure(FileCall::kCreate)) return FailHandle(error);
  if (ce::files::IsDeviceName(name)) return OpenDevice(name, dwDesiredAccess, dwShareMode);

  ce::files::ResolvedPath path = ce::files::ResolvePath(name);
  if (path.error) return FailHandle(path.error);
  if (path.is_root) return FailHandle(ERROR_ACCESS_DENIED);

  const bool reads = dwDesiredAccess & (GENERIC_READ | GENERIC_ALL);
  int flags = O_CLOEXEC | (reads && writes ? O_RDWR : writes ? O_WRONLY : O_RDONLY);
  bool existed = path.exists;
  int fd = -1;
  if (existed) {
    struct stat st;
    if (::stat(path.host.c_str(), &st) != 0) return FailHandle(internal::ErrorFromErrno(errno));
    if (S_ISDIR(st.st_mode)) return FailHandle(ERROR_ACCESS_DENIED);
    if (dwCreationDisposition == CREATE_NEW) return FailHandle(ERROR_FILE_EXISTS);
    const bool truncates = dwCreationDisposition == CREATE_ALWAYS || dwCreationDisposition == TRUNCATE_EXISTING;
    if ((writes || truncates) && (internal::ReadAttributes(path.host, st) & FILE_ATTRIBUTE_READONLY)) {
      return FailHandle(ERROR_ACCESS_DENIED);
    }
    fd = ::open(path.host.c_str(), flags);
  } else {
    if (dwCreationDisposition == OPEN_EXISTING || dwCreationDisposition == TRUNCATE_EXISTING) {
      return FailHandle(ERROR_FILE_NOT_FOUND);
    }
    fd = ::open(path.host.c_str(), flags | O_CREAT | O_EXCL, 0666);
  }
  if (fd < 0) return FailHandle(internal::ErrorFromErrno(errno));

  struct stat st;
  if (::fstat(fd, &st) != 0) {
    DWORD error = internal::ErrorFromErrno(errno);
    ::close(fd);
    return FailHandle(error);
  }
  auto file = std::make_shared<internal::HostFile>(fd, dwDesiredAccess);
  // The share check comes before any truncation, so a refused open changes nothing.
  if (DWORD error = internal::AddOpen(internal::FileId{st.st_dev, st.st_ino}, dwDesiredAccess, dwShareMode,
                                      file.get())) {
    return FailHandle(error);
  }
  if (existed && (dwCreationDisposition == CREATE_ALWAYS || dwCreationDisposition == TRUNCATE_EXISTING)) {
    if (::truncate(path.host.c_str(), 0) != 0) return FailHandle(internal::ErrorFromErrno(errno));
  }
  if (!existed) {
    DWORD wanted = dwFlagsAndAttributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                           FILE_ATTRIBUTE_TEMPORARY);
    if (wanted) internal::WriteAttributes(path.host, wanted | FILE_ATTRIBUTE_ARCHIVE);
  }
  HANDLE h = ce::kernel::InsertHandle(std::move(file));
  SetLastError(existed && (dwCreationDisposition == CREATE_ALWAYS || dwCreationDisposition == OPEN_ALWAYS)
                   ? ERROR_ALREADY_EXISTS
                   : ERROR_SUCCESS);
  return h;
}

BOOL ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead, LPDWORD lpNumberOfBytesRead,
              LPVOID lpOverlapped) {
  if (lpNumberOfBytesRead) *lpNumberOfBytesRead = 0;
  auto file = FileOf(hFile);
  if (!file) return Result(ERROR_INVALID_HANDLE);
  if (lpOverlapped || (!lpBuffer && nNumberOfBytesToRead > 0)) return Result(ERROR_INVALID_PARAMETER);
  DWORD done = 0;
  DWORD error = file->Read(lpBuffer, nNumberOfBytesToRead, &done);
  if (lpNumberOfBytesRead) *lpNumberOfBytesRead = done;
  return Result(error);
}

BOOL WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite, LPDWORD lpNumberOfBytesWritten,
               LPVOID lpOverlapped) {
  if (lpNumberOfBytesWritten) *lpNumberOfBytesWritten = 0;
  auto file = FileOf(hFile);
  if (!file) return Result(ERROR_INVALID_HANDLE);
  if (lpOverlapped || (!lpBuffer && nNumberOfBytesToWrite > 0)) return Result(ERROR_INVALID_PARAMETER);
  DWORD done = 0;
  DWORD error = file->Write(lpBuffer, nNumberOfBytesToWrite, &done);
  if (lpNumberOfBytesWritten) *lpNumberOfBytesWritten = done;
  return Result(error);
}

DWORD SetFilePointer(HANDLE hFile, LONG lDistanceToMove, LPLONG lpDistanceToMoveHigh, DWORD dwMoveMethod) {
  auto file = FileOf(hFile);
  if (!file) {
    SetLastError(ERROR_INVALID_HANDLE);
    return INVALID_SET_FILE_POINTER;
  }
  // Without a high part the distance is a signed 32-bit value; with one, the two make 64 bits.
  std::int64_t distance = lpDistanceToMoveHigh
                              ? static_cast<std::int64_t>((static_cast<std::uint64_t>(
                                                               static_cast<std::uint32_t>(*lpDistanceToMoveHigh))
                                                           << 32) |
                                                          static_cast<std::uint32_t>(lDistanceToMove))
                              : static_cast<std::int64_t>(lDistanceToMove);
  std::uint64_t position = 0;
  if (!lpDistanceToMoveHigh) {
    // The result must fit the 32-bit answer: check before moving.
    std::uint64_t current = 0;
    if (DWORD error = file->Seek(0, FILE_CURRENT, &current)) {
      SetLastError(error);
      return INVALID_SET_FILE_POINTER;
    }
    if (DWORD error = file->Seek(distance, dwMoveMethod, &position)) {
      SetLastError(error);
      return INVALID_SET_FILE_POINTER;
    }
    if (position >= 0xFFFFFFFFull) {
      file->Seek(static_cast<std::int64_t>(current), FILE_BEGIN, &position);
      SetLastError(ERROR_INVALID_PARAMETER);
      return INVALID_SET_FILE_POINTER;
    }
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(position);
  }
  if (DWORD error = file->Seek(distance, dwMoveMethod, &position)) {
    SetLastError(error);
    return INVALID_SET_FILE_POINTER;
  }
  *lpDistanceToMoveHigh = static_cast<LONG>(static_cast<std::uint32_t>(position >> 32));
  SetLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(position);
}

DWORD GetFileSize(HANDLE hFile, LPDWORD lpFileSizeHigh) {
  auto file = FileOf(hFile);
  std::uint64_t size = 0;
  DWORD error = file ? file->Size(&size) : ERROR_INVALID_HANDLE;
  if (error) {
    SetLastError(error);
    return INVALID_FILE_SIZE;
  }
  if (lpFileSizeHigh) *lpFileSizeHigh = static_cast<DWORD>(size >> 32);
  SetLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(size);
}

BOOL FlushFileBuffers(HANDLE hFile) {
  auto file = FileOf(hFile);
  return Result(file ? file->Flush() : ERROR_INVALID_HANDLE);
}

BOOL SetEndOfFile(HANDLE hFile) {
  auto file = FileOf(hFile);
  return Result(file ? file->Truncate() : ERROR_INVALID_HANDLE);
}

BOOL GetFileTime(HANDLE hFile, LPFILETIME lpCreationTime, LPFILETIME lpLastAccessTime, LPFILETIME lpLastWriteTime) {
  auto file = FileOf(hFile);
  if (!file) return Result(ERROR_INVALID_HANDLE);
  std::int64_t creation = 0, access = 0, write = 0;
  if (DWORD error = file->GetTimes(&creation, &access, &write)) return Result(error);
  if (lpCreationTime) *lpCreationTime = internal::ToFILETIME(creation);
  if (lpLastAccessTime) *lpLastAccessTime = internal::ToFILETIME(access);
  if (lpLastWriteTime) *lpLastWriteTime = internal::ToFILETIME(write);
  return Result(ERROR_SUCCESS);
}

BOOL SetFileTime(HANDLE hFile, const FILETIME* lpCreationTime, const FILETIME* lpLastAccessTime,
                 const FILETIME* lpLastWriteTime) {
  auto file = FileOf(hFile);
  if (!file) return Result(ERROR_INVALID_HANDLE);
  std::int64_t creation = lpCreationTime ? internal::FromFILETIME(*lpCreationTime) : 0;
  std::int64_t access = lpLastAccessTime ? internal::FromFILETIME(*lpLastAccessTime) : 0;
  std::int64_t write = lpLastWriteTime ? internal::FromFILETIME(*lpLastWriteTime) : 0;
  return Result(file->SetTimes(lpCreationTime ? &creation : nullptr, lpLastAccessTime ? &access : nullptr,
                               lpLastWriteTime ? &write : nullptr));
}

BOOL DeviceIoControl(HANDLE hDevice, DWORD dwIoControlCode, LPVOID lpInBuffer, DWORD nInBufferSize,
                     LPVOID lpOutBuffer, DWORD nOutBufferSize, LPDWORD lpBytesReturned, LPVOID lpOverlapped) {
  if (lpBytesReturned) *lpBytesReturned = 0;
  auto file = FileOf(hDevice);
  if (!file) return Result(ERROR_INVALID_HANDLE);
  if (lpOverlapped) return Result(ERROR_INVALID_PARAMETER);
  DWORD returned = 0;
  DWORD error = file->Control(dwIoControlCode, lpInBuffer, lpInBuffer ? nInBufferSize : 0, lpOutBuffer,
                              lpOutBuffer ? nOutBufferSize : 0, &returned);
  if (lpBytesReturned) *lpBytesReturned = returned;
  return Result(error);
}
