#pragma once

#include "core/service/wire/messages.hpp"

#include <nlohmann/json.hpp>

#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace orvendel::wire::testing {

inline std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline std::string goldenText(const std::string& name)
{
    return readFile(std::string(ORVENDEL_TEST_DATA_DIR) + "/wire/" + name);
}

// One golden message: its file, its codec through type erasure, and the keys it may go without.
// Optional keys are written as paths with "*" for array elements ("data.*.comment"), or as "*.key" for
// a key that is optional wherever it appears.
struct Golden {
    std::string file;
    std::function<bool(std::string_view)> decodes;
    std::function<std::optional<std::string>(std::string_view)> reencode;
    std::set<std::string> optionalKeys;
    std::set<std::string> mapKeys = {}; // entries of a free-form map: may be missing, never null

    bool isOptional(const std::string& path, const std::string& key) const
    {
        return optionalKeys.count(path) > 0 || optionalKeys.count("*." + key) > 0;
    }
};

template <typename T>
Golden golden(std::string file, std::set<std::string> optionalKeys, std::set<std::string> mapKeys = {})
{
    return Golden{std::move(file), [](std::string_view bytes) { return decode<T>(bytes).hasValue(); },
                  [](std::string_view bytes) -> std::optional<std::string> {
                      auto decoded = decode<T>(bytes);
                      if (!decoded) {
                          return std::nullopt;
                      }
                      auto encoded = encode(*decoded);
                      return encoded ? std::optional(std::move(encoded).value()) : std::nullopt;
                  },
                  std::move(optionalKeys), std::move(mapKeys)};
}

inline std::vector<Golden> allGoldens()
{
    const std::set<std::string> result = {"resultInformation.message", "resultInformation.errorCode",
                                          "resultInformation.errorDescription", "data"};
    auto with = [&](std::set<std::string> more) {
        more.insert(result.begin(), result.end());
        return more;
    };
    return {
        golden<LoginRequestBody>("authenticate_request.json", {}),
        golden<FurnacesRequestBody>("furnaces_list_request.json", {}),
        golden<ReasonsRequestBody>("reasons_list_request.json", {"commonData.furnaceId"}),
        golden<DelaysRequestBody>("last24hours_delays_request.json", {"commonData.furnaceId"}),
        golden<SaveDelaysRequestBody>("save_delays_request.json",
                                      {"commonData.furnaceId", "data.delays.*.delayId", "data.delays.*.comment"}),
        golden<UpdatedDelaysRequestBody>("updated_delays_request.json", {"commonData.furnaceId"},
                                         {"data.delaysToCheck.*.delayId", "data.delaysToCheck.*.reasonId"}),
        golden<LoginRequestResult>("authenticate_reply.json", with({})),
        golden<FurnacesDownloaderResult>("furnaces_list_reply.json",
                                         with({"*.shortName", "*.productionField", "*.dayStart", "*.mapId",
                                               "*.mapCoordX", "*.mapCoordY", "*.furnaceType"})),
        golden<ReasonsDownloaderResult>("reasons_list_reply.json",
                                        with({"*.delayReasonId", "*.color", "*.childReasons"})),
        golden<DelaysDownloaderResult>("last24hours_delays_reply.json",
                                       with({"data.*.furnaceId", "data.*.delays", "data.*.delays.*.comment"})),
        golden<SaveDelaysResult>("save_delays_reply.json", with({})),
        golden<UpdatedDelaysDownloaderResult>("updated_delays_reply.json",
                                              with({"*.delayId", "*.reasonId", "*.furnaceId", "*.heatId", "*.startDate",
                                                    "*.endDate", "*.color", "*.timeStamp", "*.status"})),
    };
}

} // namespace orvendel::wire::testing
