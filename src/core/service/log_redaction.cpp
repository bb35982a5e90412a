#include "core/service/log_redaction.hpp"

#include <nlohmann/json.hpp>

#include <algorithm>

namespace orvendel {
namespace {

constexpr std::string_view redacted = "<redacted>";

// Walking and writing a parsed tree recurses once per level. Real replies nest a few levels (reason trees
// stop at 64); a deeper text is not walked, so that it cannot exhaust the stack.
constexpr int maximumWalkedDepth = 256;

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Replaces the member's value in the text itself, keeping the rest of the text as it was.
std::string redactText(std::string_view json, std::string_view key)
{
    const std::string needle = "\"" + std::string(key) + "\"";
    std::string out;
    std::size_t pos = 0;
    const std::size_t n = json.size();
    for (std::size_t found = json.find(needle); found != std::string_view::npos; found = json.find(needle, pos)) {
        std::size_t i = found + needle.size();
        while (i < n && isSpace(json[i])) {
            ++i;
        }
        if (i >= n || json[i] != ':') { // the text as a value, not a member name
            out.append(json.substr(pos, i - pos));
            pos = i;
            continue;
        }
        ++i;
        while (i < n && isSpace(json[i])) {
            ++i;
        }
        out.append(json.substr(pos, i - pos));
        if (i < n && (json[i] == '{' || json[i] == '[')) {
            pos = i; // a nested value: left to the parsed pass
            continue;
        }
        std::size_t end = i;
        if (i < n && json[i] == '"') {
            end = i + 1;
            while (end < n && json[end] != '"') {
                end += json[end] == '\\' ? 2 : 1;
            }
            end = std::min(end + 1, n); // an unterminated string is hidden to the end of the text
        } else {
            while (end < n && json[end] != ',' && json[end] != '}' && json[end] != ']' && !isSpace(json[end])) {
                ++end;
            }
        }
        out += '"';
        out += redacted;
        out += '"';
        pos = end;
    }
    out.append(json.substr(std::min(pos, n)));
    return out;
}

bool redactTree(nlohmann::json& value, std::string_view key)
{
    bool changed = false;
    if (value.is_object()) {
        for (auto& [name, member] : value.items()) {
            if (name == key) {
                if (!(member.is_string() && member.get<std::string>() == redacted)) {
                    member = std::string(redacted);
                    changed = true;
                }
            } else {
                changed = redactTree(member, key) || changed;
            }
        }
    } else if (value.is_array()) {
        for (auto& element : value) {
            changed = redactTree(element, key) || changed;
        }
    }
    return changed;
}

} // namespace

std::string redactJsonMember(std::string_view json, std::string_view key)
{
    std::string text = redactText(json, key);
    // Member names written with escapes, or nested values, escape the text pass; the parsed pass catches them.
    int depth = 0;
    const auto measure = [&depth](int level, nlohmann::json::parse_event_t, nlohmann::json&) {
        depth = std::max(depth, level);
        return true;
    };
    auto parsed = nlohmann::json::parse(text, measure, false);
    if (parsed.is_discarded()) {
        return text;
    }
    if (depth > maximumWalkedDepth) {
        // The text pass alone could miss a member name written with escapes.
        return std::string(redacted);
    }
    if (redactTree(parsed, key)) {
        return parsed.dump();
    }
    return text;
}

} // namespace orvendel
