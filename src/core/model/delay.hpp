#pragma once

#include "core/model/zoned_date_time.hpp"

#include <memory>
#include <optional>
#include <string>

namespace orvendel {

struct Delay;
using DelayPtr = std::shared_ptr<Delay>;

// One power-off period within a heat. Delays are shared records: the lists, the detail screens and the
// edit store hold the same object. An edited delay is a Delay with `isEdited` set.
struct Delay {
    int heatId = 0;
    std::optional<int> delayId;
    int reasonId = 0;
    std::string reasonDescription;
    std::string reasonShortDescription;
    ZonedDateTime startDate;
    ZonedDateTime endDate;
    std::string colorString;
    std::string timestamp;
    std::optional<std::string> comment;
    bool isEdited = false;
    bool isSplitted = false;
    std::optional<int> baseDelayId;

    Delay() = default;
    Delay(int heatIdValue, std::optional<int> delayIdValue, int reasonIdValue, std::string reasonDescriptionValue,
          std::string reasonShortDescriptionValue, ZonedDateTime startDateValue, ZonedDateTime endDateValue,
          std::string colorStringValue, std::string timestampValue, std::optional<std::string> commentValue)
        : heatId(heatIdValue), delayId(delayIdValue), reasonId(reasonIdValue),
          reasonDescription(std::move(reasonDescriptionValue)),
          reasonShortDescription(std::move(reasonShortDescriptionValue)), startDate(startDateValue),
          endDate(endDateValue), colorString(std::move(colorStringValue)), timestamp(std::move(timestampValue)),
          comment(std::move(commentValue))
    {}

    // A new delay from the first ten fields only: the copy is never edited, never a split piece and has no
    // base delay; callers that need those set them afterwards.
    DelayPtr copy() const
    {
        return std::make_shared<Delay>(heatId, delayId, reasonId, reasonDescription, reasonShortDescription,
                                       startDate.copy(), endDate.copy(), colorString, timestamp, comment);
    }
};

} // namespace orvendel
