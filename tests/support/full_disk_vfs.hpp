#pragma once

#include <sqlite3.h>

#include <atomic>
#include <cstring>
#include <stdexcept>

namespace orvendel::test {

// A full disk on demand: while installed, this VFS is SQLite's default and wraps the one it replaced; while
// `full` is set, every write and sync of a file opened through it fails with SQLITE_FULL, as on a filesystem
// with no space left. Files opened before installing are not affected; files opened through it write normally
// once it is gone. One at a time per process.
class FullDiskVfs {
public:
    FullDiskVfs()
    {
        State& state = shared();
        if (state.installed) {
            throw std::logic_error("FullDiskVfs: one installed already");
        }
        state.base = sqlite3_vfs_find(nullptr);
        if (!state.base) {
            throw std::logic_error("FullDiskVfs: no default VFS");
        }
        state.vfs = *state.base;
        state.vfs.zName = "orvendel-full-disk";
        state.vfs.szOsFile = static_cast<int>(sizeof(File)) + state.base->szOsFile;
        state.vfs.pAppData = nullptr;
        state.vfs.xOpen = &openFile;
        // The wrapped VFS gets itself back, never ours (its methods may read their own app data).
        state.vfs.xDelete = [](sqlite3_vfs*, const char* name, int syncDir) {
            return shared().base->xDelete(shared().base, name, syncDir);
        };
        state.vfs.xAccess = [](sqlite3_vfs*, const char* name, int flags, int* out) {
            return shared().base->xAccess(shared().base, name, flags, out);
        };
        state.vfs.xFullPathname = [](sqlite3_vfs*, const char* name, int size, char* out) {
            return shared().base->xFullPathname(shared().base, name, size, out);
        };
        state.full = false;
        state.refusals = 0;
        state.installed = true;
        sqlite3_vfs_register(&state.vfs, 1);
    }
    // Connections opened through it keep working (they still reach the VFS, which is never freed).
    ~FullDiskVfs()
    {
        State& state = shared();
        state.installed = false;
        sqlite3_vfs_register(state.base, 1);
    }
    FullDiskVfs(const FullDiskVfs&) = delete;
    FullDiskVfs& operator=(const FullDiskVfs&) = delete;

    void setFull(bool full) { shared().full = full; }
    // Writes and syncs refused so far.
    int refusals() const { return shared().refusals; }

private:
    struct File {
        sqlite3_file base;  // our methods
        sqlite3_file* real; // the wrapped VFS's file, right after this struct
        sqlite3_io_methods methods;
    };

    struct State {
        sqlite3_vfs vfs{};
        sqlite3_vfs* base = nullptr;
        std::atomic<bool> full{false};
        std::atomic<int> refusals{0};
        std::atomic<bool> installed{false};
    };
    static State& shared()
    {
        static State state;
        return state;
    }
    static sqlite3_file* real(sqlite3_file* file) { return reinterpret_cast<File*>(file)->real; }
    static bool refuse()
    {
        State& state = shared();
        if (!state.installed || !state.full) {
            return false;
        }
        ++state.refusals;
        return true;
    }

    static int openFile(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* file, int flags, int* outFlags)
    {
        sqlite3_vfs* base = shared().base;
        auto* wrapper = reinterpret_cast<File*>(file);
        std::memset(wrapper, 0, sizeof(File));
        wrapper->real = reinterpret_cast<sqlite3_file*>(wrapper + 1);
        const int rc = base->xOpen(base, name, wrapper->real, flags, outFlags);
        if (rc != SQLITE_OK || !wrapper->real->pMethods) {
            wrapper->base.pMethods = nullptr;
            return rc;
        }
        // Everything passes through but writes, syncs and growth.
        wrapper->methods = *wrapper->real->pMethods;
        wrapper->methods.xClose = [](sqlite3_file* f) { return real(f)->pMethods->xClose(real(f)); };
        wrapper->methods.xRead = [](sqlite3_file* f, void* data, int amount, sqlite3_int64 offset) {
            return real(f)->pMethods->xRead(real(f), data, amount, offset);
        };
        wrapper->methods.xWrite = [](sqlite3_file* f, const void* data, int amount, sqlite3_int64 offset) {
            return refuse() ? SQLITE_FULL : real(f)->pMethods->xWrite(real(f), data, amount, offset);
        };
        wrapper->methods.xTruncate = [](sqlite3_file* f, sqlite3_int64 size) {
            return real(f)->pMethods->xTruncate(real(f), size);
        };
        wrapper->methods.xSync = [](sqlite3_file* f, int flags) {
            return refuse() ? SQLITE_FULL : real(f)->pMethods->xSync(real(f), flags);
        };
        wrapper->methods.xFileSize = [](sqlite3_file* f, sqlite3_int64* size) {
            return real(f)->pMethods->xFileSize(real(f), size);
        };
        wrapper->methods.xLock = [](sqlite3_file* f, int lock) { return real(f)->pMethods->xLock(real(f), lock); };
        wrapper->methods.xUnlock = [](sqlite3_file* f, int lock) { return real(f)->pMethods->xUnlock(real(f), lock); };
        wrapper->methods.xCheckReservedLock = [](sqlite3_file* f, int* out) {
            return real(f)->pMethods->xCheckReservedLock(real(f), out);
        };
        wrapper->methods.xFileControl = [](sqlite3_file* f, int op, void* arg) {
            return real(f)->pMethods->xFileControl(real(f), op, arg);
        };
        wrapper->methods.xSectorSize = [](sqlite3_file* f) { return real(f)->pMethods->xSectorSize(real(f)); };
        wrapper->methods.xDeviceCharacteristics = [](sqlite3_file* f) {
            return real(f)->pMethods->xDeviceCharacteristics(real(f));
        };
        if (wrapper->methods.iVersion >= 2) {
            wrapper->methods.xShmMap = [](sqlite3_file* f, int region, int size, int extend, void volatile** out) {
                return real(f)->pMethods->xShmMap(real(f), region, size, extend, out);
            };
            wrapper->methods.xShmLock = [](sqlite3_file* f, int offset, int n, int flags) {
                return real(f)->pMethods->xShmLock(real(f), offset, n, flags);
            };
            wrapper->methods.xShmBarrier = [](sqlite3_file* f) { real(f)->pMethods->xShmBarrier(real(f)); };
            wrapper->methods.xShmUnmap = [](sqlite3_file* f, int deleteFlag) {
                return real(f)->pMethods->xShmUnmap(real(f), deleteFlag);
            };
        }
        if (wrapper->methods.iVersion >= 3) {
            wrapper->methods.xFetch = [](sqlite3_file* f, sqlite3_int64 offset, int amount, void** out) {
                return real(f)->pMethods->xFetch(real(f), offset, amount, out);
            };
            wrapper->methods.xUnfetch = [](sqlite3_file* f, sqlite3_int64 offset, void* page) {
                return real(f)->pMethods->xUnfetch(real(f), offset, page);
            };
        }
        wrapper->base.pMethods = &wrapper->methods;
        return rc;
    }
};

} // namespace orvendel::test
