#pragma once

#include <sqlite3.h>

#include <atomic>
#include <cstring>
#include <stdexcept>

namespace orvendel::test {

// A full disk on demand: while installed, this VFS is SQLite's default and wraps the one it replaced; while
// `full` is set, every write and sync of a file opened through it fails with SQLITE_FULL, as on a filesystem
// with no space left. Files opened before installing are not affected. One at a time per process.
class FullDiskVfs {
public:
    FullDiskVfs()
    {
        m_base = sqlite3_vfs_find(nullptr);
        if (!m_base || instance()) {
            throw std::logic_error("FullDiskVfs: no default VFS, or one installed already");
        }
        instance() = this;
        m_vfs = *m_base;
        m_vfs.zName = "orvendel-full-disk";
        m_vfs.szOsFile = static_cast<int>(sizeof(File)) + m_base->szOsFile;
        m_vfs.pAppData = this;
        m_vfs.xOpen = &openFile;
        // The wrapped VFS gets itself back, never ours (its methods may read their own app data).
        m_vfs.xDelete = [](sqlite3_vfs* vfs, const char* name, int syncDir) {
            auto* base = static_cast<FullDiskVfs*>(vfs->pAppData)->m_base;
            return base->xDelete(base, name, syncDir);
        };
        m_vfs.xAccess = [](sqlite3_vfs* vfs, const char* name, int flags, int* out) {
            auto* base = static_cast<FullDiskVfs*>(vfs->pAppData)->m_base;
            return base->xAccess(base, name, flags, out);
        };
        m_vfs.xFullPathname = [](sqlite3_vfs* vfs, const char* name, int size, char* out) {
            auto* base = static_cast<FullDiskVfs*>(vfs->pAppData)->m_base;
            return base->xFullPathname(base, name, size, out);
        };
        sqlite3_vfs_register(&m_vfs, 1);
    }
    ~FullDiskVfs()
    {
        sqlite3_vfs_unregister(&m_vfs);
        sqlite3_vfs_register(m_base, 1);
        instance() = nullptr;
    }
    FullDiskVfs(const FullDiskVfs&) = delete;
    FullDiskVfs& operator=(const FullDiskVfs&) = delete;

    void setFull(bool full) { m_full = full; }
    // Writes and syncs refused so far.
    int refusals() const { return m_refusals; }

private:
    struct File {
        sqlite3_file base;  // our methods
        sqlite3_file* real; // the wrapped VFS's file, right after this struct
        sqlite3_io_methods methods;
    };

    static FullDiskVfs*& instance()
    {
        static FullDiskVfs* current = nullptr;
        return current;
    }
    static sqlite3_file* real(sqlite3_file* file) { return reinterpret_cast<File*>(file)->real; }
    static bool refuse()
    {
        auto* self = instance();
        if (!self->m_full) {
            return false;
        }
        ++self->m_refusals;
        return true;
    }

    static int openFile(sqlite3_vfs* vfs, sqlite3_filename name, sqlite3_file* file, int flags, int* outFlags)
    {
        auto* self = static_cast<FullDiskVfs*>(vfs->pAppData);
        auto* wrapper = reinterpret_cast<File*>(file);
        std::memset(wrapper, 0, sizeof(File));
        wrapper->real = reinterpret_cast<sqlite3_file*>(wrapper + 1);
        const int rc = self->m_base->xOpen(self->m_base, name, wrapper->real, flags, outFlags);
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

    sqlite3_vfs* m_base = nullptr;
    sqlite3_vfs m_vfs{};
    std::atomic<bool> m_full{false};
    std::atomic<int> m_refusals{0};
};

} // namespace orvendel::test
