#include "velomar/ui/DatabaseCommands.h"

#include <mutex>
#include <string>

#include "platform/dialogs/commdlg.h"
#include "platform/files/files.h"
#include "platform/kernel/kernel.h"
#include "platform/window/window.h"
#include "platform/xml/msxml.h"
#include "teskautils/TeskaUtils.h"
#include "velomar/core/Exceptions.h"
#include "velomar/core/Trace.h"
#include "velomar/places/DB.h"
#include "velomar/ui/ImportProgress.h"
#include "velomar/ui/Translator.h"

namespace velomar::ui {
namespace {

constexpr const WCHAR* kExchangeFile = u"\\Velomar.xml";
// The choosers' one filter: description, then pattern.
constexpr WCHAR kFilter[] = u"DB File\0quarn.db\0";
constexpr int kYes = 6;

CTranslator* Texts() { return CTranslator::GetInstance(); }

bool AskDeleteRecords(HWND owner) {
  return QuestionBox(owner, u"%s", Texts()->GetText(u"OPERATION WILL DELETE RECORDS").c_str()) == kYes;
}

// Opens the volume; false with the failure's message when it cannot be opened.
bool TryOpen(CDB& db, std::u16string& message) {
  try {
    db.OpenDB();
    return true;
  } catch (const CBaseException& e) {
    message = e.GetMessage();
    return false;
  }
}

// Deletes the volume file with the volume closed (the database lock held by the caller). On
// failure the error is told and the volume opened again.
bool DeleteVolumeFile(CDB& db, HWND owner) {
  db.CloseDB();
  if (!DeleteFileW(db.GetVolumePath().c_str())) {
    const DWORD error = GetLastError();
    ErrorBox(owner, Texts()->GetText(u"DB NOT ERASED").c_str(), static_cast<int>(error));
    db.OpenDB();
    return false;
  }
  Trace(0, u"Borrado correcto");
  db.OpenDB();
  return true;
}

}  // namespace

void BackupDatabase(CDB& db, HWND owner) {
  WCHAR file[MAX_PATH] = u"quarn.db";
  WCHAR title[MAX_PATH] = {};
  OPENFILENAMEW chooser{};
  chooser.lStructSize = sizeof chooser;
  chooser.hwndOwner = owner;
  chooser.lpstrFilter = kFilter;
  chooser.nFilterIndex = 1;
  chooser.lpstrFile = file;
  chooser.nMaxFile = MAX_PATH;
  chooser.lpstrFileTitle = title;
  chooser.nMaxFileTitle = MAX_PATH;
  if (!GetSaveFileNameW(&chooser)) return;
  file[MAX_PATH - 1] = 0;
  BOOL copied = FALSE;
  DWORD error = 0;
  {
    std::lock_guard<std::recursive_mutex> lock(db.GetLock());
    db.CloseDB();
    copied = CopyFileW(db.GetVolumePath().c_str(), file, FALSE);
    if (!copied) error = GetLastError();
    db.OpenDB();
  }
  if (!copied) ErrorBox(owner, Texts()->GetText(u"DB NOT COPIED").c_str(), static_cast<int>(error));
}

bool RestoreDatabase(CDB& db, HWND owner) {
  if (!AskDeleteRecords(owner)) return false;
  WCHAR file[128] = {};
  WCHAR title[128] = {};
  OPENFILENAMEW chooser{};
  chooser.lStructSize = sizeof chooser;
  chooser.hwndOwner = owner;
  chooser.lpstrFilter = kFilter;
  chooser.nFilterIndex = 1;
  chooser.lpstrFile = file;
  chooser.nMaxFile = 128;
  chooser.lpstrFileTitle = title;
  chooser.nMaxFileTitle = 128;
  chooser.lpstrTitle = u"Open";
  chooser.lpstrDefExt = u".";
  chooser.Flags = OFN_FILEMUSTEXIST;
  if (!GetOpenFileNameW(&chooser)) return false;
  file[127] = 0;

  const std::u16string& volume = db.GetVolumePath();
  const std::u16string kept = volume + u".previous";
  std::u16string failure;
  DWORD copy_error = 0;
  bool restored = false;
  {
    std::lock_guard<std::recursive_mutex> lock(db.GetLock());
    db.CloseDB();
    if (!CopyFileW(volume.c_str(), kept.c_str(), FALSE)) {
      // Without a copy of the data there is nothing to fall back on: the restore is not done.
      copy_error = GetLastError();
      db.OpenDB();
    } else {
      if (!CopyFileW(file, volume.c_str(), FALSE)) {
        copy_error = GetLastError();
      } else if (TryOpen(db, failure)) {
        restored = true;
      } else {
        db.CloseDB();
      }
      if (!restored) {
        CopyFileW(kept.c_str(), volume.c_str(), FALSE);
        db.OpenDB();
      }
      DeleteFileW(kept.c_str());
    }
  }
  if (copy_error != 0) {
    ErrorBox(owner, Texts()->GetText(u"DB NOT COPIED").c_str(), static_cast<int>(copy_error));
  } else if (!restored) {
    ErrorBox(owner, Texts()->GetText(u"DB NOT RESTORED").c_str(), failure.c_str());
  }
  return restored;
}

bool FormatDatabase(CDB& db, HWND owner) {
  if (!AskDeleteRecords(owner)) return false;
  std::lock_guard<std::recursive_mutex> lock(db.GetLock());
  return DeleteVolumeFile(db, owner);
}

bool ImportExchangeFile(CDB& db, HWND owner) {
  if (!AskDeleteRecords(owner)) return false;
  if (GetFileAttributesW(kExchangeFile) == INVALID_FILE_ATTRIBUTES) {
    ErrorBox(owner, Texts()->GetText(u"ERROR_XML_IMPORT_FILE_NOT_FOUND").c_str(), kExchangeFile);
    return false;
  }
  IXMLDOMDocument* document = CDB::LoadExchangeFile();
  if (document == nullptr) {
    ErrorBox(owner, u"%s", Texts()->GetText(u"ERROR READING FILE").c_str());
    return false;
  }
  // Nothing is deleted before the new places are all written: a failure, or the program stopped
  // at any moment, leaves the places as they were. A long file shows how far it got.
  std::u16string failure;
  bool replaced = false;
  int skipped = 0;
  {
    CImportProgress progress(owner);
    try {
      replaced = db.ReplaceFromExchange(document, failure, skipped,
                                        [&progress](int done, int total) { progress.Show(done, total); });
    } catch (...) {
      document->Release();
      throw;
    }
  }
  document->Release();
  if (replaced) {
    TextBox(owner, u"%s", CDB::ImportedText(skipped).c_str());
  } else {
    const std::u16string writing = Texts()->GetFormatted(u"ERROR WRITING FILE", db.GetVolumePath().c_str());
    if (failure.empty()) {
      ErrorBox(owner, u"%s", writing.c_str());
    } else {
      ErrorBox(owner, u"%s\n%s", writing.c_str(), failure.c_str());
    }
  }
  return replaced;
}

void CheckDatabaseIntegrity(CDB& db, HWND owner) {
  SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  int count = 0;
  const bool passed = db.CheckIntegrity(count);
  SetCursor(LoadCursorW(nullptr, IDC_ARROW));
  if (passed) {
    TextBox(owner, Texts()->GetText(u"DB NOT ERRORS").c_str(), count);
  } else {
    ErrorBox(owner, Texts()->GetText(u"DB REPORT ERRORS").c_str(), count);
  }
}

}  // namespace velomar::ui
