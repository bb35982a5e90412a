// The stores and fetches of DatabaseManager; every function here runs on the database queue.
#include "core/storage/database_manager.hpp"

#include "core/storage/database_schema.hpp"
#include "core/storage/sql/sql_transaction.hpp"
#include "core/support/log.hpp"

#include <fmt/format.h>

#include <unordered_map>

namespace orvendel {
namespace {

std::optional<ZonedDateTime> dateColumn(SqlResultSet& rows, int index)
{
    const auto text = rows.textForColumnIndex(index);
    return text ? ZonedDateTime::fromText(*text) : std::nullopt;
}

// Prepares each insert of a store once and reuses it for every row, then lets the statements go.
class StatementReuse {
public:
    explicit StatementReuse(SqlDatabase& database) : m_database(database), m_previous(database.shouldCacheStatements())
    {
        m_database.setShouldCacheStatements(true);
    }
    ~StatementReuse() { m_database.setShouldCacheStatements(m_previous); }
    StatementReuse(const StatementReuse&) = delete;
    StatementReuse& operator=(const StatementReuse&) = delete;

private:
    SqlDatabase& m_database;
    bool m_previous;
};

// The fetch's columns, looked up by name once per query rather than once per row.
struct HeatColumns {
    explicit HeatColumns(SqlResultSet& rows)
        : furnaceId(rows.columnIndexForName("FurnaceId")), delayId(rows.columnIndexForName("DelayId")),
          heatId(rows.columnIndexForName("HeatId")), heatNumber(rows.columnIndexForName("HeatNumber")),
          heatStartDate(rows.columnIndexForName("HeatStartDate")), heatEndDate(rows.columnIndexForName("HeatEndDate")),
          reasonId(rows.columnIndexForName("ReasonId")),
          reasonDescription(rows.columnIndexForName("ReasonDescription")),
          reasonShortDescription(rows.columnIndexForName("ReasonShortDescription")),
          reasonColor(rows.columnIndexForName("ReasonColor")),
          delayStartDate(rows.columnIndexForName("DelayStartDate")),
          delayEndDate(rows.columnIndexForName("DelayEndDate")), timestamp(rows.columnIndexForName("Timestamp")),
          comment(rows.columnIndexForName("Comment"))
    {}
    int furnaceId, delayId, heatId, heatNumber, heatStartDate, heatEndDate, reasonId, reasonDescription,
        reasonShortDescription, reasonColor, delayStartDate, delayEndDate, timestamp, comment;
};

} // namespace

Result<void> DatabaseManager::storeFurnacesNow(const std::vector<Furnace>& furnaces)
{
    if (!isConnected()) {
        return notConnected();
    }
    StatementReuse reuse(*m_database);
    SqlTransaction transaction(*m_database);
    if (!transaction.isActive()) {
        return transaction.beginResult();
    }
    if (auto prepared = prepareTable("Furnaces", "DELETE FROM Furnaces", {}, "Error Storing Furnaces: "); !prepared) {
        return prepared;
    }
    for (const Furnace& furnace : furnaces) {
        const SqlValues values{furnace.id,       furnace.name,  furnace.shortName, furnace.productionField,
                               furnace.dayStart, furnace.mapId, furnace.mapCoordX, furnace.mapCoordY,
                               furnace.type};
        if (auto inserted = m_database->executeUpdate(schema::insertFurnace, values); !inserted) {
            log("Error Storing Furnaces: " + inserted.error().description);
            return inserted;
        }
    }
    return transaction.commit();
}

Result<std::vector<FurnacePtr>> DatabaseManager::fetchFurnacesNow(const std::string& sql)
{
    std::vector<FurnacePtr> furnaces;
    const auto readable = tablesReadable({"Furnaces"});
    if (!readable || !*readable) {
        return readable ? Result<std::vector<FurnacePtr>>(furnaces) : readable.error();
    }
    auto rows = m_database->executeQuery(sql, {});
    if (!rows) {
        log(rows.error().description);
        return rows.error();
    }
    while (rows->next()) {
        auto name = rows->stringForColumn("FurnaceName");
        if (!name) {
            continue;
        }
        auto furnace = std::make_shared<Furnace>();
        furnace->id = rows->intForColumn("Id");
        furnace->name = std::move(*name);
        furnace->shortName = rows->stringForColumn("ShortName");
        furnace->productionField = rows->stringForColumn("ProductionField");
        furnace->dayStart = rows->stringForColumn("DayStart");
        furnace->mapId = rows->intForColumn("MapId");
        furnace->mapCoordX = rows->intForColumn("MapCoordX");
        furnace->mapCoordY = rows->intForColumn("MapCoordY");
        furnace->type = rows->intForColumn("FurnaceType");
        furnaces.push_back(std::move(furnace));
    }
    if (const auto& failed = rows->error()) {
        log(failed->description);
        return *failed;
    }
    return furnaces;
}

Result<void> DatabaseManager::storeReasonsNow(int furnaceId, const std::vector<Reason>& reasons)
{
    if (!isConnected()) {
        return notConnected();
    }
    StatementReuse reuse(*m_database);
    SqlTransaction transaction(*m_database);
    if (!transaction.isActive()) {
        return transaction.beginResult();
    }
    if (auto prepared =
            prepareTable("Reasons", "DELETE FROM Reasons WHERE FurnaceId = ?", {furnaceId}, "Error Storing Reasons: ");
        !prepared) {
        return prepared;
    }
    for (const Reason& reason : reasons) {
        const SqlValues values{furnaceId,          reason.categoryId,       reason.parentCategoryId, reason.id,
                               reason.description, reason.shortDescription, reason.colorString};
        if (auto inserted = m_database->executeUpdate(schema::insertReason, values); !inserted) {
            log("Error Storing Reasons: " + inserted.error().description);
            return inserted;
        }
    }
    return transaction.commit();
}

Result<std::vector<ReasonPtr>> DatabaseManager::fetchReasonsNow(int furnaceId)
{
    std::vector<ReasonPtr> reasons;
    const auto readable = tablesReadable({"Reasons"});
    if (!readable || !*readable) {
        return readable ? Result<std::vector<ReasonPtr>>(reasons) : readable.error();
    }
    auto rows = m_database->executeQuery("SELECT * FROM Reasons WHERE FurnaceId = ? ORDER BY rowid", {furnaceId});
    if (!rows) {
        log(rows.error().description);
        return rows.error();
    }
    while (rows->next()) {
        auto description = rows->stringForColumn("ReasonDescription");
        auto shortDescription = rows->stringForColumn("ReasonShortDescription");
        auto color = rows->stringForColumn("ReasonColor");
        if (!description || !shortDescription || !color) {
            continue;
        }
        auto reason = std::make_shared<Reason>();
        if (!rows->columnIsNull("ReasonId")) {
            reason->id = rows->intForColumn("ReasonId");
        }
        reason->categoryId = rows->intForColumn("CategoryId");
        if (!rows->columnIsNull("ParentCategoryId")) {
            reason->parentCategoryId = rows->intForColumn("ParentCategoryId");
        }
        reason->description = std::move(*description);
        reason->shortDescription = std::move(*shortDescription);
        reason->colorString = std::move(*color);
        reasons.push_back(std::move(reason));
    }
    if (const auto& failed = rows->error()) {
        log(failed->description);
        return *failed;
    }
    return reasons;
}

Result<void> DatabaseManager::storeDelaysNow(int furnaceId, const std::vector<DownloadedHeat>& heats)
{
    if (!isConnected()) {
        return notConnected();
    }
    SqlTransaction transaction(*m_database);
    if (!transaction.isActive()) {
        return transaction.beginResult();
    }
    if (auto prepared = prepareTable("Delays", fmt::format("DELETE FROM Delays WHERE FurnaceId = {}", furnaceId), {},
                                     "Error Storing Delays: ");
        !prepared) {
        return prepared;
    }
    auto insert = m_database->prepareUpdate(schema::insertDelay);
    if (!insert) {
        log("Error Storing Delays: " + insert.error().description);
        return insert.error();
    }
    for (const DownloadedHeat& heat : heats) {
        for (const DownloadedDelay& delay : heat.delays) {
            insert->bind(1, furnaceId);
            insert->bind(2, heat.heatId);
            insert->bind(3, heat.heatNumber);
            insert->bind(4, heat.startDate);
            insert->bind(5, heat.endDate);
            insert->bind(6, delay.delayId);
            insert->bind(7, delay.startDate);
            insert->bind(8, delay.endDate);
            insert->bind(9, delay.reasonId);
            insert->bind(10, delay.reasonDescription);
            insert->bind(11, delay.timestamp);
            insert->bind(12, delay.comment);
            if (auto inserted = insert->execute(); !inserted) {
                log("Error Storing Delays: " + inserted.error().description);
                return inserted;
            }
        }
    }
    return transaction.commit();
}

Result<std::vector<HeatPtr>> DatabaseManager::fetchLast24HoursHeatsNow(int furnaceId)
{
    std::vector<HeatPtr> heats;
    const auto readable = tablesReadable({"Delays", "Reasons"});
    if (!readable || !*readable) {
        return readable ? Result<std::vector<HeatPtr>>(heats) : readable.error();
    }
    auto rows = m_database->executeQuery(schema::last24HoursQuery(furnaceId), {});
    if (!rows) {
        log(rows.error().description);
        return rows.error();
    }
    std::unordered_map<int, std::size_t> heatIndex;
    std::optional<HeatColumns> columns;
    while (rows->next()) {
        if (!columns) {
            columns.emplace(*rows);
        }
        const HeatColumns& c = *columns;
        const int heatId = rows->intForColumnIndex(c.heatId);
        Heat* target = nullptr;
        // A heat's delays were stored one after another, so the row's heat is nearly always the last one.
        if (!heats.empty() && heats.back()->heatId == heatId) {
            target = heats.back().get();
        } else if (auto found = heatIndex.find(heatId); found != heatIndex.end()) {
            target = heats[found->second].get();
        } else {
            const auto start = dateColumn(*rows, c.heatStartDate);
            const auto end = dateColumn(*rows, c.heatEndDate);
            if (!start || !end) {
                continue;
            }
            auto heat = std::make_shared<Heat>();
            heat->furnaceId = rows->intForColumnIndex(c.furnaceId);
            heat->heatId = heatId;
            heat->heatNumber = rows->intForColumnIndex(c.heatNumber);
            heat->startDate = *start;
            heat->endDate = *end;
            heat->delays.emplace();
            target = heat.get();
            heatIndex.emplace(heatId, heats.size());
            heats.push_back(std::move(heat));
        }

        const auto description = rows->textForColumnIndex(c.reasonDescription);
        const auto shortDescription = rows->textForColumnIndex(c.reasonShortDescription);
        const auto color = rows->textForColumnIndex(c.reasonColor);
        const auto timestamp = rows->textForColumnIndex(c.timestamp);
        const auto start = dateColumn(*rows, c.delayStartDate);
        const auto end = dateColumn(*rows, c.delayEndDate);
        if (!description || !shortDescription || !color || !timestamp || !start || !end) {
            continue;
        }
        target->delays->push_back(std::make_shared<Delay>(
            heatId, rows->intForColumnIndex(c.delayId), rows->intForColumnIndex(c.reasonId), std::string(*description),
            std::string(*shortDescription), *start, *end, std::string(*color), std::string(*timestamp),
            rows->stringForColumnIndex(c.comment)));
    }
    if (const auto& failed = rows->error()) {
        log(failed->description);
        return *failed;
    }
    return heats;
}

} // namespace orvendel
