#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace orvendel::cli {

// Rows of cells printed in aligned columns, two blanks apart; widths count user-perceived characters.
// Thread contract: one thread at a time.
class TextTable {
public:
    // Columns whose index is listed are aligned to the right.
    explicit TextTable(std::vector<std::size_t> rightAligned = {}) : m_rightAligned(std::move(rightAligned)) {}

    void addRow(std::vector<std::string> cells) { m_rows.push_back(std::move(cells)); }
    bool empty() const { return m_rows.empty(); }

    // One line per row, trailing blanks removed.
    std::vector<std::string> lines(std::string_view indent = {}) const;

private:
    std::vector<std::size_t> m_rightAligned;
    std::vector<std::vector<std::string>> m_rows;
};

std::size_t displayWidth(std::string_view text);

} // namespace orvendel::cli
