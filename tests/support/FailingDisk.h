#pragma once
// A disk that refuses writes when a test says so, for the databases of the
// test's own process: an SQLite file system ("VFS") over the machine's own
// that the test makes the default while it lives. While failing, every
// write and every growth of a file fails as a full disk (ENOSPC) or a
// read-only one (EROFS) makes the system's calls fail, with SQLite's own
// answers to them: SQLITE_FULL for a full disk, an I/O error with the errno
// behind it otherwise. Reads go through. Every database opened while it
// lives must be closed before it goes.

#include <sqlite3.h>

#include <cerrno>
#include <cstring>

class FailingDisk {
 public:
  FailingDisk() {
    real_ = sqlite3_vfs_find(nullptr);
    vfs_ = *real_;
    vfs_.szOsFile = static_cast<int>(sizeof(File)) + real_->szOsFile;
    vfs_.zName = "failing-disk";
    vfs_.pAppData = this;
    vfs_.xOpen = &Open;
    vfs_.xGetLastError = &LastError;
    sqlite3_vfs_register(&vfs_, 1);
  }
  ~FailingDisk() {
    sqlite3_vfs_unregister(&vfs_);
    sqlite3_vfs_register(real_, 1);
  }
  FailingDisk(const FailingDisk&) = delete;
  FailingDisk& operator=(const FailingDisk&) = delete;

  // ENOSPC, EROFS, ...; 0 lets writes through again.
  void FailWrites(int error) { error_ = error; }

 private:
  struct File {
    sqlite3_file base;
    FailingDisk* disk;
    sqlite3_file* real() { return reinterpret_cast<sqlite3_file*>(this + 1); }
  };

  static File* Of(sqlite3_file* file) { return reinterpret_cast<File*>(file); }
  static const sqlite3_io_methods* Real(sqlite3_file* file) { return Of(file)->real()->pMethods; }

  // The answer of a refused write, as the machine's file system gives it.
  int Refuse() {
    errno = error_;
    lastError_ = error_;
    return error_ == ENOSPC ? SQLITE_FULL : SQLITE_IOERR_WRITE;
  }

  static int Open(sqlite3_vfs* vfs, sqlite3_filename name, sqlite3_file* file, int flags, int* outFlags) {
    auto* disk = static_cast<FailingDisk*>(vfs->pAppData);
    File* own = Of(file);
    own->disk = disk;
    own->base.pMethods = nullptr;
    const int rc = disk->real_->xOpen(disk->real_, name, own->real(), flags, outFlags);
    if (own->real()->pMethods != nullptr) own->base.pMethods = &kMethods;
    return rc;
  }
  static int LastError(sqlite3_vfs* vfs, int size, char* text) {
    auto* disk = static_cast<FailingDisk*>(vfs->pAppData);
    if (disk->error_ != 0) return disk->lastError_;
    return disk->real_->xGetLastError(disk->real_, size, text);
  }

  static int Close(sqlite3_file* f) {
    const int rc = Real(f)->xClose(Of(f)->real());
    f->pMethods = nullptr;
    return rc;
  }
  static int Read(sqlite3_file* f, void* data, int amount, sqlite3_int64 offset) {
    return Real(f)->xRead(Of(f)->real(), data, amount, offset);
  }
  static int Write(sqlite3_file* f, const void* data, int amount, sqlite3_int64 offset) {
    if (Of(f)->disk->error_ != 0) return Of(f)->disk->Refuse();
    return Real(f)->xWrite(Of(f)->real(), data, amount, offset);
  }
  static int Truncate(sqlite3_file* f, sqlite3_int64 size) {
    sqlite3_int64 now = 0;
    if (Of(f)->disk->error_ != 0 && Real(f)->xFileSize(Of(f)->real(), &now) == SQLITE_OK && size > now) {
      return Of(f)->disk->Refuse();
    }
    return Real(f)->xTruncate(Of(f)->real(), size);
  }
  static int Sync(sqlite3_file* f, int flags) { return Real(f)->xSync(Of(f)->real(), flags); }
  static int FileSize(sqlite3_file* f, sqlite3_int64* size) { return Real(f)->xFileSize(Of(f)->real(), size); }
  static int Lock(sqlite3_file* f, int level) { return Real(f)->xLock(Of(f)->real(), level); }
  static int Unlock(sqlite3_file* f, int level) { return Real(f)->xUnlock(Of(f)->real(), level); }
  static int CheckReservedLock(sqlite3_file* f, int* out) { return Real(f)->xCheckReservedLock(Of(f)->real(), out); }
  static int FileControl(sqlite3_file* f, int op, void* arg) {
    // Growing a file ahead of its writes is a write too.
    if (op == SQLITE_FCNTL_SIZE_HINT && Of(f)->disk->error_ != 0) return Of(f)->disk->Refuse();
    return Real(f)->xFileControl(Of(f)->real(), op, arg);
  }
  static int SectorSize(sqlite3_file* f) { return Real(f)->xSectorSize(Of(f)->real()); }
  static int DeviceCharacteristics(sqlite3_file* f) { return Real(f)->xDeviceCharacteristics(Of(f)->real()); }
  static int ShmMap(sqlite3_file* f, int region, int size, int extend, void volatile** out) {
    return Real(f)->xShmMap(Of(f)->real(), region, size, extend, out);
  }
  static int ShmLock(sqlite3_file* f, int offset, int n, int flags) {
    return Real(f)->xShmLock(Of(f)->real(), offset, n, flags);
  }
  static void ShmBarrier(sqlite3_file* f) { Real(f)->xShmBarrier(Of(f)->real()); }
  static int ShmUnmap(sqlite3_file* f, int deleteFlag) { return Real(f)->xShmUnmap(Of(f)->real(), deleteFlag); }
  // No memory-mapped reads: every page comes through Read.
  static int Fetch(sqlite3_file*, sqlite3_int64, int, void** out) {
    *out = nullptr;
    return SQLITE_OK;
  }
  static int Unfetch(sqlite3_file*, sqlite3_int64, void*) { return SQLITE_OK; }

  static constexpr sqlite3_io_methods kMethods = {
      3,         &Close,       &Read,   &Write,       &Truncate, &Sync,      &FileSize,
      &Lock,     &Unlock,      &CheckReservedLock,    &FileControl,          &SectorSize,
      &DeviceCharacteristics,  &ShmMap, &ShmLock,     &ShmBarrier,           &ShmUnmap,
      &Fetch,    &Unfetch};

  sqlite3_vfs* real_ = nullptr;
  sqlite3_vfs vfs_{};
  int error_ = 0;
  int lastError_ = 0;
};
