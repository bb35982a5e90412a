#pragma once

#include <fmt/format.h>

#include <optional>
#include <string>
#include <string_view>

// The three tables of the delay database and the last day's read. Column lists are kept exactly as the tables
// were always created.
namespace orvendel::schema {

inline constexpr std::string_view furnacesColumns =
    " (Id INT, FurnaceName TEXT, ShortName TEXT, ProductionField TEXT, DayStart TEXT, MapId INT, MapCoordX INT, "
    "MapCoordY INT, FurnaceType INT)";
inline constexpr std::string_view reasonsColumns =
    " (FurnaceId INTEGER NOT NULL, CategoryId INTEGER NOT NULL, ParentCategoryId INTEGER, ReasonId INTEGER, "
    "ReasonDescription TEXT NOT NULL, ReasonShortDescription TEXT NOT NULL, ReasonColor TEXT)";
inline constexpr std::string_view delaysColumns =
    " (FurnaceId INT, DelayId INT, HeatId INT, HeatNumber INT, HeatStartDate TEXT, HeatEndDate TEXT, ReasonId INT, "
    "ReasonDescription TEXT, DelayStartDate TEXT, DelayEndDate TEXT, Timestamp TEXT, Comment TEXT)";

inline constexpr std::string_view insertFurnace =
    "INSERT INTO Furnaces ('Id', 'FurnaceName', 'ShortName', 'ProductionField', 'DayStart', 'MapId', 'MapCoordX', "
    "'MapCoordY', 'FurnaceType') VALUES (?,?,?,?,?,?,?,?,?)";
inline constexpr std::string_view insertReason =
    "INSERT INTO Reasons ('FurnaceId', 'CategoryId', 'ParentCategoryId', 'ReasonId', 'ReasonDescription', "
    "'ReasonShortDescription', 'ReasonColor') VALUES (?,?,?,?,?,?,?)";
inline constexpr std::string_view insertDelay =
    "INSERT INTO Delays ('FurnaceId', 'HeatId', 'HeatNumber', 'HeatStartDate', 'HeatEndDate', 'DelayId', "
    "'DelayStartDate', 'DelayEndDate', 'ReasonId', 'ReasonDescription', 'Timestamp', 'Comment') VALUES "
    "(?,?,?,?,?,?,?,?,?,?,?,?)";

// Only the three known tables can be created.
inline std::optional<std::string_view> columnList(std::string_view table)
{
    if (table == "Furnaces") {
        return furnacesColumns;
    }
    if (table == "Reasons") {
        return reasonsColumns;
    }
    if (table == "Delays") {
        return delaysColumns;
    }
    return std::nullopt;
}

// The tree may hold one reason id under several categories; each delay joins only the last of them to arrive
// (rows are stored in arrival order), the one the reason tree keeps, so a delay is listed once. Delays come
// back in the order they were stored, whichever way SQLite plans the join.
inline std::string last24HoursQuery(int furnaceId)
{
    return fmt::format(
        "SELECT d.FurnaceId, d.DelayId, d.HeatId, d.HeatNumber, d.HeatStartDate, d.HeatEndDate, d.ReasonId, "
        "r.ReasonDescription, r.ReasonShortDescription, r.ReasonColor, d.DelayStartDate, d.DelayEndDate, "
        "d.Timestamp, d.Comment FROM (SELECT d.*, d.rowid AS StoredOrder FROM Delays d INNER JOIN ( SELECT {0} "
        "FurnaceId,HeatEndDate as HED "
        "FROM Delays WHERE FurnaceId = {0} ORDER BY DATETIME (HeatEndDate) DESC LIMIT 1 ) hed ON d.furnaceId = "
        "hed.furnaceId AND DATETIME (d.HeatEndDate) BETWEEN DATETIME (hed.HED,'-1 day') AND DATETIME (hed.HED)) d "
        "INNER JOIN Reasons r ON d.FurnaceId = r.FurnaceId AND d.ReasonId = r.ReasonId AND r.rowid IN (SELECT "
        "MAX(rowid) FROM Reasons WHERE FurnaceId = {0} AND ReasonId IS NOT NULL GROUP BY ReasonId) ORDER BY "
        "d.StoredOrder",
        furnaceId);
}

} // namespace orvendel::schema
