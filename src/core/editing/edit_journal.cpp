#include "core/editing/edit_journal.hpp"

#include "core/platform/local_files.hpp"
#include "core/storage/sql/sql_database.hpp"
#include "core/storage/sql/sql_transaction.hpp"
#include "core/support/log.hpp"

#include <fmt/format.h>
#include <sqlite3.h>

#include <chrono>
#include <system_error>

namespace orvendel {
namespace {

constexpr const char* errorDomain = "EditJournal";
// Every failure of the journal is one kind for its callers: the edits could not be kept.
constexpr int journalFailure = 1;
// "ORVJ": tells our journal from any other SQLite file that happens to sit under its name.
constexpr int applicationId = 0x4F52564A;
constexpr int formatVersion = 1;

constexpr const char* createTable = R"(CREATE TABLE IF NOT EXISTS editedDelays (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    heatId INTEGER NOT NULL,
    delayId INTEGER,
    reasonId INTEGER NOT NULL,
    reasonDescription TEXT NOT NULL,
    reasonShortDescription TEXT NOT NULL,
    startNanoseconds INTEGER NOT NULL,
    startOffsetSeconds INTEGER NOT NULL,
    endNanoseconds INTEGER NOT NULL,
    endOffsetSeconds INTEGER NOT NULL,
    colorString TEXT NOT NULL,
    timestamp TEXT NOT NULL,
    comment TEXT,
    isEdited INTEGER NOT NULL,
    isSplitted INTEGER NOT NULL,
    baseDelayId INTEGER
) STRICT)";

constexpr const char* insertRow =
    "INSERT INTO editedDelays (heatId, delayId, reasonId, reasonDescription, reasonShortDescription, "
    "startNanoseconds, startOffsetSeconds, endNanoseconds, endOffsetSeconds, colorString, timestamp, comment, "
    "isEdited, isSplitted, baseDelayId) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)";

constexpr const char* selectRows =
    "SELECT id, heatId, delayId, reasonId, reasonDescription, reasonShortDescription, startNanoseconds, "
    "startOffsetSeconds, endNanoseconds, endOffsetSeconds, colorString, timestamp, comment, isEdited, isSplitted, "
    "baseDelayId FROM editedDelays ORDER BY id";

Error journalError(std::string message)
{
    return Error{errorDomain, journalFailure, std::move(message)};
}

std::int64_t nanoseconds(Instant instant)
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(instant.time_since_epoch()).count();
}

Instant instantFromNanoseconds(std::int64_t value)
{
    return Instant(std::chrono::duration_cast<Instant::duration>(std::chrono::nanoseconds(value)));
}

std::optional<int> optionalInt(SqlResultSet& rows, int column)
{
    if (rows.columnIndexIsNull(column)) {
        return std::nullopt;
    }
    return rows.intForColumnIndex(column);
}

std::optional<TimeZone> zoneAt(SqlResultSet& rows, int column)
{
    const std::int64_t offset = rows.int64ForColumnIndex(column);
    if (offset < -TimeZone::maximumOffsetSeconds || offset > TimeZone::maximumOffsetSeconds) {
        return std::nullopt;
    }
    return TimeZone::fromOffsetSeconds(static_cast<int>(offset));
}

// Moves the journal and SQLite's companion files out of the way; false when the journal itself stays.
bool setAside(const std::filesystem::path& path, const std::string& reason)
{
    const auto aside = LocalFiles::setAside(path);
    if (!aside) {
        log(fmt::format("The journal of unsaved edits {} is unreadable ({}) and could not be set aside: {}",
                        path.string(), reason, aside.error().description));
        return false;
    }
    for (const char* suffix : {"-wal", "-shm", "-journal"}) {
        const std::filesystem::path companion = path.string() + suffix;
        if (LocalFiles::kindAt(companion) == LocalFiles::Kind::regularFile) {
            std::error_code ignored;
            std::filesystem::rename(companion, aside->string() + suffix, ignored);
        }
    }
    log(fmt::format("The journal of unsaved edits {} is unreadable ({}); it was set aside as {}", path.string(), reason,
                    aside->string()));
    return true;
}

} // namespace

EditJournal::EditJournal(std::filesystem::path path, std::unique_ptr<SqlDatabase> database)
    : m_path(std::move(path)), m_database(std::move(database))
{}

EditJournal::~EditJournal()
{
    if (m_database) {
        (void)m_database->close();
    }
}

Result<std::unique_ptr<EditJournal>> EditJournal::open(const std::filesystem::path& path)
{
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
        const std::filesystem::path file = path.string() + suffix;
        if (auto noLink = LocalFiles::checkNoSymbolicLink(file); !noLink) {
            return noLink.error();
        }
    }
    std::string reason;
    for (int attempt = 0; attempt < 2; ++attempt) {
        auto database = std::make_unique<SqlDatabase>(path.string());
        database->setLogsErrors(false);
        database->setShouldCacheStatements(true);
        std::unique_ptr<EditJournal> journal(new EditJournal(path, std::move(database)));
        auto prepared = journal->prepare();
        if (prepared) {
            auto rows = journal->readRows();
            if (rows) {
                journal->m_rows = std::move(*rows);
                return journal;
            }
            prepared = rows.error();
        }
        reason = prepared.error().description;
        journal.reset();
        if (attempt == 0 && std::filesystem::exists(path) && setAside(path, reason)) {
            continue;
        }
        break;
    }
    log(fmt::format("Unable to keep unsaved edits on disk in {}: {}", path.string(), reason));
    return journalError(reason);
}

Result<void> EditJournal::prepare()
{
    if (auto opened = m_database->open(); !opened) {
        return opened.error();
    }
    auto identity = m_database->executeQuery("PRAGMA application_id");
    if (!identity) {
        return identity.error();
    }
    const int foundId = identity->next() ? identity->intForColumnIndex(0) : 0;
    identity->close();
    if (identity->error()) {
        return *identity->error();
    }
    if (foundId != 0 && foundId != applicationId) {
        return journalError("not a journal of unsaved edits");
    }
    // Each commit reaches the disk before the store's change returns: a write-ahead log synced on commit.
    auto mode = m_database->executeQuery("PRAGMA journal_mode=WAL");
    if (!mode) {
        return mode.error();
    }
    // The pragma takes effect when stepped; it answers with the mode now in force.
    const std::string journalMode = mode->next() ? mode->stringForColumnIndex(0).value_or("") : "";
    mode->close();
    if (journalMode != "wal") {
        return mode->error() ? *mode->error() : journalError("the journal cannot use a write-ahead log");
    }
    for (const char* statement : {"PRAGMA synchronous=FULL", createTable}) {
        if (auto done = m_database->executeUpdate(statement); !done) {
            return done.error();
        }
    }
    if (foundId == 0) {
        if (auto done = m_database->executeUpdate(fmt::format("PRAGMA application_id={}", applicationId)); !done) {
            return done.error();
        }
        if (auto done = m_database->executeUpdate(fmt::format("PRAGMA user_version={}", formatVersion)); !done) {
            return done.error();
        }
    }
    auto version = m_database->executeQuery("PRAGMA user_version");
    if (!version) {
        return version.error();
    }
    const int foundVersion = version->next() ? version->intForColumnIndex(0) : 0;
    version->close();
    if (foundVersion != formatVersion) {
        return journalError(fmt::format("format {} is not {}", foundVersion, formatVersion));
    }
    return {};
}

Result<std::vector<EditJournal::Row>> EditJournal::readRows()
{
    auto rows = m_database->executeQuery(selectRows);
    if (!rows) {
        return rows.error();
    }
    std::vector<Row> found;
    while (rows->next()) {
        auto delay = std::make_shared<Delay>();
        const std::int64_t id = rows->int64ForColumnIndex(0);
        delay->heatId = rows->intForColumnIndex(1);
        delay->delayId = optionalInt(*rows, 2);
        delay->reasonId = rows->intForColumnIndex(3);
        delay->reasonDescription = rows->stringForColumnIndex(4).value_or("");
        delay->reasonShortDescription = rows->stringForColumnIndex(5).value_or("");
        const auto startZone = zoneAt(*rows, 7);
        const auto endZone = zoneAt(*rows, 9);
        if (!startZone || !endZone) {
            return journalError(fmt::format("row {} has a time zone out of range", id));
        }
        delay->startDate = ZonedDateTime(instantFromNanoseconds(rows->int64ForColumnIndex(6)), *startZone);
        delay->endDate = ZonedDateTime(instantFromNanoseconds(rows->int64ForColumnIndex(8)), *endZone);
        if (delay->endDate.date < delay->startDate.date) {
            return journalError(fmt::format("row {} ends before it starts", id));
        }
        delay->colorString = rows->stringForColumnIndex(10).value_or("");
        delay->timestamp = rows->stringForColumnIndex(11).value_or("");
        delay->comment = rows->stringForColumnIndex(12);
        delay->isEdited = rows->intForColumnIndex(13) != 0;
        delay->isSplitted = rows->intForColumnIndex(14) != 0;
        delay->baseDelayId = optionalInt(*rows, 15);
        found.push_back(Row{id, std::move(delay)});
    }
    if (rows->error()) {
        return *rows->error();
    }
    return found;
}

Result<std::vector<std::int64_t>> EditJournal::insert(std::span<const DelayPtr> entries)
{
    std::vector<std::int64_t> ids;
    ids.reserve(entries.size());
    for (const auto& delay : entries) {
        const SqlValues values{delay->heatId,
                               delay->delayId,
                               delay->reasonId,
                               SqlValue::borrowed(delay->reasonDescription),
                               SqlValue::borrowed(delay->reasonShortDescription),
                               nanoseconds(delay->startDate.date),
                               delay->startDate.timeZone.offsetSeconds,
                               nanoseconds(delay->endDate.date),
                               delay->endDate.timeZone.offsetSeconds,
                               SqlValue::borrowed(delay->colorString),
                               SqlValue::borrowed(delay->timestamp),
                               SqlValue::borrowedOrNull(delay->comment),
                               delay->isEdited,
                               delay->isSplitted,
                               delay->baseDelayId};
        if (auto done = m_database->executeUpdate(insertRow, values); !done) {
            return done.error();
        }
        ids.push_back(sqlite3_last_insert_rowid(m_database->sqliteHandle()));
    }
    return ids;
}

Result<std::vector<std::int64_t>> EditJournal::apply(std::span<const std::int64_t> removed,
                                                     std::span<const DelayPtr> appended)
{
    SqlTransaction transaction(*m_database);
    if (!transaction.isActive()) {
        return transaction.beginResult().error();
    }
    for (const std::int64_t id : removed) {
        if (auto done = m_database->executeUpdate("DELETE FROM editedDelays WHERE id = ?", {id}); !done) {
            return done.error();
        }
    }
    auto ids = insert(appended);
    if (!ids) {
        return ids;
    }
    if (auto committed = transaction.commit(); !committed) {
        return committed.error();
    }
    return ids;
}

} // namespace orvendel
