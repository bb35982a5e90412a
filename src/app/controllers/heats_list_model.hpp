#pragma once

#include "core/screens/heat_sections.hpp"
#include "core/screens/heats_table.hpp"
#include "core/screens/selection.hpp"

#include <QAbstractListModel>

#include <optional>
#include <vector>

namespace orvendel::app {

// The heats list as one flat list: each section's header followed by its rows while it is expanded. A
// collapsed section contributes its header only. Texts and states come from a copy of the sections the
// heats list flow showed last, so the view never reads the flow's sections while the flow rebuilds them;
// this model only maps them to positions and keeps the views' changes small (a collapse removes rows
// instead of resetting the list, so the header's arrow can turn).
// Thread contract: the GUI thread only.
class HeatsListModel : public QAbstractListModel {
    Q_OBJECT

public:
    enum Role {
        IsHeaderRole = Qt::UserRole + 1,
        SectionRole,
        RowRole,
        TitleRole,
        DescriptionRole,
        IndicatorTextRole, // header: the unknown count, empty when none
        UnknownRole,       // row: the delay's reason is unknown
        EditedRole,
        SelectedRole,
        CollapsedRole,
        ArrowRotationRole, // degrees
    };

    explicit HeatsListModel(QObject* parent = nullptr);

    // The sections to show from now on, in place of the ones shown so far.
    void reset(std::vector<screens::Section> sections, std::optional<screens::RowPosition> highlighted);
    // An edit changed one section's rows as `rows` says: only those rows (and the header when its texts
    // changed) are signalled, rows come and go only where delays did.
    void sectionEdited(std::size_t section, screens::Section edited, const screens::HeatsTable::RowsChange& rows,
                       std::optional<screens::RowPosition> highlighted);
    // The section was collapsed or expanded.
    void sectionToggled(std::size_t section, bool collapsed);
    void setHighlighted(std::optional<screens::RowPosition> highlighted);
    // The list index of a row, -1 when it is not shown.
    int indexOf(const screens::RowPosition& position) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

private:
    struct Entry {
        std::size_t section;
        std::size_t row;
        bool header;
    };
    void layOut();
    // The list index of the section's header, -1 when there is no such section.
    int headerIndex(std::size_t section) const;
    void emitRowChanged(const std::optional<screens::RowPosition>& position);

    std::vector<screens::Section> m_sections;
    std::vector<Entry> m_entries;
    std::optional<screens::RowPosition> m_highlighted;
};

} // namespace orvendel::app
