#pragma once

#include "core/model/delay.hpp"
#include "core/model/result_information.hpp"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <vector>

namespace orvendel {

class SqlDatabase;

// One user's unsaved edits on disk, in "editedDelays.sqlite" beside the user's database (which every sign-in
// empties, so the edits cannot live there). One row per entry of the edit store, in store order; each change
// of the store is one transaction, written through to the disk, so a killed process or a dying tablet loses
// no edit the store had taken.
// Thread contract: one thread (or serial queue) at a time — the edit store's queue.
class EditJournal {
public:
    static constexpr const char* fileName = "editedDelays.sqlite";

    struct Row {
        std::int64_t id = 0;
        DelayPtr delay;
    };

    // Opens the journal at `path`, creating it when missing, and reads its rows. A file that is not a
    // readable journal (damaged, another format, rows that do not decode) is set aside under a new name with
    // one console line and an empty journal takes its place: it never stands in the way of a sign-in. Fails
    // only when no journal can be opened at all (the folder is not writable, the path is a link).
    static Result<std::unique_ptr<EditJournal>> open(const std::filesystem::path& path);

    ~EditJournal();
    EditJournal(const EditJournal&) = delete;
    EditJournal& operator=(const EditJournal&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    // The rows found at opening, in store order (taken once).
    std::vector<Row> takeRows() { return std::move(m_rows); }

    // Removes the rows `removed` and appends `appended` in one transaction; the new rows' ids, in order. There
    // is no "remove every row": another process may have written rows of its own.
    Result<std::vector<std::int64_t>> apply(std::span<const std::int64_t> removed, std::span<const DelayPtr> appended);

private:
    EditJournal(std::filesystem::path path, std::unique_ptr<SqlDatabase> database);

    Result<void> prepare();
    Result<std::vector<Row>> readRows();
    Result<std::vector<std::int64_t>> insert(std::span<const DelayPtr> entries);

    std::filesystem::path m_path;
    std::unique_ptr<SqlDatabase> m_database;
    std::vector<Row> m_rows;
};

} // namespace orvendel
