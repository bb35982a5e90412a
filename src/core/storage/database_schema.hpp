#pragma once

#include <optional>
#include <string_view>

// The three tables of the delay database. Column lists are kept exactly as the tables were always created.
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

} // namespace orvendel::schema
