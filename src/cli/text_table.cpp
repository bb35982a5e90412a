#include "cli/text_table.hpp"

#include "core/model/comment_rule.hpp"

#include <algorithm>

namespace orvendel::cli {

std::size_t displayWidth(std::string_view text)
{
    return CommentRule::characterCount(text);
}

std::vector<std::string> TextTable::lines(std::string_view indent) const
{
    std::vector<std::size_t> widths;
    for (const auto& row : m_rows) {
        widths.resize(std::max(widths.size(), row.size()), 0);
        for (std::size_t i = 0; i < row.size(); ++i) {
            widths[i] = std::max(widths[i], displayWidth(row[i]));
        }
    }
    std::vector<std::string> result;
    for (const auto& row : m_rows) {
        std::string line(indent);
        for (std::size_t i = 0; i < row.size(); ++i) {
            const std::string padding(widths[i] - displayWidth(row[i]), ' ');
            const bool right = std::find(m_rightAligned.begin(), m_rightAligned.end(), i) != m_rightAligned.end();
            if (i > 0) {
                line += "  ";
            }
            line += right ? padding + row[i] : row[i] + padding;
        }
        line.erase(line.find_last_not_of(' ') + 1);
        result.push_back(std::move(line));
    }
    return result;
}

} // namespace orvendel::cli
