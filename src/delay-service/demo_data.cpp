#include "demo_data.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <numeric>
#include <random>
#include <set>

namespace orvendel::delay_service {
namespace {

uint64_t mix(uint64_t x)
{
    x += 0x9E3779B97F4A7C15ULL;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
    return x ^ (x >> 31);
}

// An independent stream per purpose, furnace and heat.
std::mt19937_64 stream(uint64_t seed, uint64_t purpose, uint64_t furnace, uint64_t index = 0)
{
    return std::mt19937_64(mix(mix(mix(seed) ^ purpose) ^ (furnace << 20)) ^ mix(index));
}

double uniform(std::mt19937_64& rng, double low, double high)
{
    return std::uniform_real_distribution<double>(low, high)(rng);
}

int uniformInt(std::mt19937_64& rng, int low, int high)
{
    return std::uniform_int_distribution<int>(low, high)(rng);
}

struct CatalogueGroup {
    const char* name;
    std::vector<const char*> reasons;
};

struct CatalogueCategory {
    const char* name;
    const char* code;
    int red, green, blue;
    std::vector<CatalogueGroup> groups;
};

const std::vector<CatalogueCategory>& catalogue()
{
    static const std::vector<CatalogueCategory> categories = {
        {"Electrical",
         "EL",
         230,
         126,
         34,
         {{"Transformer",
           {"Transformer trip", "Tap changer fault", "Transformer cooling alarm", "Oil temperature high",
            "Breaker failure"}},
          {"Electrodes",
           {"Electrode breakage", "Electrode addition", "Electrode slipping", "Regulator fault", "Clamp failure"}},
          {"Power supply",
           {"Grid limitation", "Flicker limitation", "Peak load shedding", "Supply interruption",
            "Harmonic filter trip"}}}},
        {"Mechanical",
         "ME",
         52,
         152,
         219,
         {{"Roof and shell",
           {"Roof swing fault", "Roof lift fault", "Shell water leak", "Panel leak", "Slag door jammed"}},
          {"Hydraulics",
           {"Hydraulic pressure low", "Hydraulic leak", "Hydraulic pump failure", "Valve failure",
            "Accumulator fault"}},
          {"Tapping", {"Tap hole blocked", "Tap hole repair", "Tilt drive fault", "EBT filling", "Slide gate fault"}}}},
        {"Process",
         "PR",
         46,
         204,
         113,
         {{"Charging",
           {"Waiting for scrap", "Bucket not ready", "Extra bucket", "Scrap cave-in", "Charging crane delay"}},
          {"Refining",
           {"Temperature sample", "Waiting for chemistry", "Oxygen lance fault", "Carbon injection fault",
            "Slag foaming problem"}},
          {"Ladle",
           {"Ladle not ready", "Ladle preheating", "Ladle car fault", "Alloy addition wait", "Ladle furnace busy"}}}},
        {"Operations",
         "OP",
         155,
         89,
         182,
         {{"Crew", {"Shift change", "Crew break", "Safety meeting", "Operator shortage"}},
          {"Cranes", {"Crane breakdown", "Crane busy", "Crane inspection"}},
          {"Logistics", {"Caster waiting", "Caster breakdown", "Sequence change", "Planned stop"}}}},
        {"Maintenance",
         "MA",
         231,
         76,
         60,
         {{"Planned", {"Scheduled maintenance", "Refractory gunning", "Electrode arm service", "Inspection round"}},
          {"Unplanned", {"Emergency repair", "Water leak repair", "Burner repair", "Cable replacement"}},
          {"Refractory", {"Hearth repair", "Banks repair", "Delta repair", "Spout repair"}}}},
        {"Utilities",
         "UT",
         26,
         188,
         156,
         {{"Water", {"Cooling water pressure", "Water treatment fault", "Pump station trip"}},
          {"Gases", {"Natural gas pressure", "Oxygen supply low", "Nitrogen supply low"}},
          {"Fume system", {"Baghouse fault", "Fan trip", "Duct blockage"}}}},
        {"External",
         "EX",
         149,
         165,
         166,
         {{"Outside the plant", {"Waiting for orders", "Power tariff window", "Weather", "Third-party delay"}}}},
    };
    return categories;
}

const std::vector<const char*>& comments()
{
    static const std::vector<const char*> texts = {
        "Checked by shift electrician.",        "Waiting for the crane, scrap bay busy.",
        "Operator reported noise at the roof.", "Maintenance informed.",
        "Repeated twice this shift.",           "Sample sent to the lab.",
        "Short stop, no action needed.",        "See the shift log for details.",
    };
    return texts;
}

std::string rgb(int red, int green, int blue)
{
    return fmt::format("rgb({}, {}, {})", std::clamp(red, 0, 255), std::clamp(green, 0, 255), std::clamp(blue, 0, 255));
}

std::string initials(std::string_view code, std::string_view text)
{
    std::string result(code);
    result += '-';
    bool atWordStart = true;
    for (char c : text) {
        if (atWordStart && std::isalpha(static_cast<unsigned char>(c))) {
            result += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
        atWordStart = c == ' ' || c == '-';
    }
    return result;
}

// Power-off durations in seconds: mostly short (median near three minutes), sometimes one long stop.
std::vector<int64_t> delayDurations(std::mt19937_64& rng, int64_t heatLength, std::optional<int> fixedCount)
{
    const int drawn = uniformInt(rng, 4, 12);
    const int count = fixedCount.value_or(drawn);
    std::lognormal_distribution<double> typical(std::log(180.0), 0.85);
    // A stress day asks for more delays than a heat holds: they shrink to a second each.
    const int64_t shortest = count * 20 > heatLength * 80 / 100 ? 1 : 20;
    std::vector<int64_t> durations;
    for (int i = 0; i < count; ++i) {
        durations.push_back(std::clamp<int64_t>(std::llround(typical(rng)), shortest, 2400));
    }
    std::optional<std::size_t> longStop;
    if (uniform(rng, 0.0, 1.0) < 0.08) {
        longStop = static_cast<std::size_t>(uniformInt(rng, 0, count - 1));
        const auto longest = std::min<int64_t>(2400, heatLength * 65 / 100);
        durations[*longStop] = std::llround(uniform(rng, 1200.0, static_cast<double>(longest)));
    }
    // The delays together take at most 80% of the heat; the others shrink to make room, never below the shortest.
    const int64_t budget = heatLength * 80 / 100;
    const int64_t fixed = longStop ? durations[*longStop] : 0;
    int64_t others = std::accumulate(durations.begin(), durations.end(), int64_t{0}) - fixed;
    if (fixed + others > budget) {
        const double scale = static_cast<double>(budget - fixed) / static_cast<double>(others);
        for (std::size_t i = 0; i < durations.size(); ++i) {
            if (!longStop || i != *longStop) {
                durations[i] =
                    std::max<int64_t>(shortest, static_cast<int64_t>(static_cast<double>(durations[i]) * scale));
            }
        }
    }
    return durations;
}

} // namespace

std::vector<Furnace> DemoPlant::furnaces() const
{
    std::vector<Furnace> list;
    list.push_back({1, "EAF 1", "E1", "Meltshop North", "06:00", 1, 120, 80, 1});
    list.push_back({2, "EAF 2", "E2", "Meltshop North", "06:00", std::nullopt, std::nullopt, std::nullopt, 1});
    list.push_back({3, "EAF 3", "E3", "Meltshop South", std::nullopt, 2, 40, 200, 2});
    Furnace retired;
    retired.id = hiddenFurnaceId;
    retired.name = "--EAF 0 (retired)";
    list.push_back(retired);
    return list;
}

std::vector<DemoReasonNode> DemoPlant::reasonTree(int furnaceId) const
{
    auto rng = stream(m_seed, 1, static_cast<uint64_t>(furnaceId));
    const auto& categories = catalogue();

    // Which catalogue reasons this furnace has: most of them, never fewer than 60 in all.
    std::vector<std::vector<std::vector<bool>>> kept;
    int keptCount = 0;
    for (const auto& category : categories) {
        auto& groups = kept.emplace_back();
        for (const auto& group : category.groups) {
            auto& flags = groups.emplace_back();
            for (std::size_t i = 0; i < group.reasons.size(); ++i) {
                const bool keep = i < 2 || uniform(rng, 0.0, 1.0) < 0.85;
                flags.push_back(keep);
                keptCount += keep ? 1 : 0;
            }
        }
    }
    for (auto& groups : kept) {
        for (auto& flags : groups) {
            for (std::size_t i = 0; i < flags.size() && keptCount < 60; ++i) {
                if (!flags[i]) {
                    flags[i] = true;
                    ++keptCount;
                }
            }
        }
    }

    std::vector<DemoReasonNode> nodes;
    int nextCategory = furnaceId * 10000;
    int nextReason = furnaceId * 1000;
    // Only folders go without a colour: a reason drawn in the service's default white would vanish from
    // the charts.
    auto colorOrNone = [&](std::string color) -> std::optional<std::string> {
        return uniform(rng, 0.0, 1.0) < 0.04 ? std::nullopt : std::optional<std::string>(std::move(color));
    };
    // Every reason its own colour and its own short name, so that legends tell them apart.
    std::set<std::string> usedColors;
    std::set<std::string> usedShortNames;
    auto uniqueShortName = [&](std::string name) {
        std::string candidate = name;
        for (int n = 2; !usedShortNames.insert(candidate).second; ++n) {
            candidate = name + std::to_string(n);
        }
        return candidate;
    };
    nodes.push_back({nextCategory++, std::nullopt, unclassifiedReasonId, "Unclassified", "UNCL", "rgb(190, 190, 190)"});
    for (std::size_t c = 0; c < categories.size(); ++c) {
        const auto& category = categories[c];
        const int categoryId = nextCategory++;
        nodes.push_back({categoryId, std::nullopt, std::nullopt, category.name, category.code,
                         colorOrNone(rgb(category.red, category.green, category.blue))});
        for (std::size_t g = 0; g < category.groups.size(); ++g) {
            const auto& group = category.groups[g];
            const int groupId = nextCategory++;
            nodes.push_back({groupId, categoryId, std::nullopt, group.name, initials(category.code, group.name),
                             colorOrNone(rgb(category.red - 20, category.green - 20, category.blue - 20))});
            for (std::size_t r = 0; r < group.reasons.size(); ++r) {
                if (!kept[c][g][r]) {
                    continue;
                }
                // Shades of the category's colour, kept clear of white and black.
                int shade = uniformInt(rng, -40, 40);
                auto shaded = [&] {
                    return rgb(std::clamp(category.red + shade, 20, 215), std::clamp(category.green + shade, 20, 215),
                               std::clamp(category.blue + shade, 20, 215));
                };
                std::string color = shaded();
                for (int tries = 0; tries < 30 && !usedColors.insert(color).second; ++tries) {
                    shade = shade >= 40 ? -40 : shade + 3;
                    color = shaded();
                }
                nodes.push_back({nextCategory++, groupId, ++nextReason, group.reasons[r],
                                 uniqueShortName(initials(category.code, group.reasons[r])), color});
            }
        }
    }
    // Clients must cope with missing colours, so every tree has at least one folder without.
    if (std::none_of(nodes.begin(), nodes.end(), [](const auto& n) { return !n.color; })) {
        const auto folder = std::find_if(nodes.begin() + static_cast<std::ptrdiff_t>(nodes.size() / 2), nodes.end(),
                                         [](const auto& n) { return !n.reasonId; });
        (folder != nodes.end() ? *folder : nodes[1]).color.reset();
    }
    return nodes;
}

std::vector<int> DemoPlant::classifiedReasonIds(const std::vector<DemoReasonNode>& tree)
{
    std::vector<int> ids;
    for (const auto& node : tree) {
        if (node.reasonId && *node.reasonId != unclassifiedReasonId) {
            ids.push_back(*node.reasonId);
        }
    }
    return ids;
}

int64_t DemoPlant::firstHeatStart(int furnaceId, int64_t now) const
{
    auto rng = stream(m_seed, 2, static_cast<uint64_t>(furnaceId));
    const int64_t onTheHour = (now - historySeconds) / 3600 * 3600;
    return onTheHour + uniformInt(rng, 0, 50 * 60);
}

int64_t DemoPlant::heatDuration(int furnaceId, int index) const
{
    auto rng = stream(m_seed, 3, static_cast<uint64_t>(furnaceId), static_cast<uint64_t>(index));
    return uniformInt(rng, 50 * 60, 65 * 60);
}

DemoHeat DemoPlant::heat(int furnaceId, int index, int64_t start, const std::vector<int>& classifiedReasonIds) const
{
    DemoHeat heat;
    heat.furnaceId = furnaceId;
    heat.index = index;
    heat.heatId = furnaceId * 1000000 + index + 1;
    auto numbering = stream(m_seed, 4, static_cast<uint64_t>(furnaceId));
    heat.heatNumber = furnaceId * 100000 + uniformInt(numbering, 10000, 60000) + index;
    heat.start = start;
    heat.end = start + heatDuration(furnaceId, index);

    auto rng = stream(m_seed, 5, static_cast<uint64_t>(furnaceId), static_cast<uint64_t>(index));
    const int64_t length = heat.end - heat.start;
    const auto durations = delayDurations(rng, length, m_delaysPerHeat);
    const int64_t busy = std::accumulate(durations.begin(), durations.end(), int64_t{0});
    // The power-on time is spread over the gaps before, between and after the delays.
    std::vector<double> weights;
    for (std::size_t i = 0; i <= durations.size(); ++i) {
        weights.push_back(uniform(rng, 0.2, 1.0));
    }
    const double totalWeight = std::accumulate(weights.begin(), weights.end(), 0.0);
    const double free = static_cast<double>(std::max<int64_t>(0, length - busy));
    int64_t cursor = heat.start;
    for (std::size_t i = 0; i < durations.size(); ++i) {
        cursor += static_cast<int64_t>(free * weights[i] / totalWeight);
        DemoDelay delay;
        delay.start = cursor;
        delay.end = cursor + durations[i];
        cursor = delay.end;
        const bool unclassified = classifiedReasonIds.empty() || uniform(rng, 0.0, 1.0) < 0.25;
        delay.reasonId = unclassified ? unclassifiedReasonId
                                      : classifiedReasonIds[static_cast<std::size_t>(
                                            uniformInt(rng, 0, static_cast<int>(classifiedReasonIds.size()) - 1))];
        if (uniform(rng, 0.0, 1.0) < 0.2) {
            delay.comment = comments()[static_cast<std::size_t>(uniformInt(rng, 0, int(comments().size()) - 1))];
        }
        heat.delays.push_back(std::move(delay));
    }
    return heat;
}

} // namespace orvendel::delay_service
