#include "app/controllers/heats_list_controller.hpp"

#include "core/screens/heats_table.hpp"

namespace orvendel::app {

HeatsListController::HeatsListController(std::shared_ptr<flows::HeatsListFlow> flow, QObject* parent)
    : QObject(parent), m_flow(std::move(flow))
{
    m_flowChanges = m_flow->setChangeHandler([this](flows::HeatsListChange change) { changed(change); });
    const auto& data = m_flow->tableData();
    m_model.reset(data ? *data : std::vector<screens::Section>{}, m_flow->highlightedRow());
}

QString HeatsListController::emptyStateTitle() const
{
    return QString::fromUtf8(screens::HeatsTable::emptyStateTitle);
}

QString HeatsListController::emptyStateMessage() const
{
    return QString::fromUtf8(screens::HeatsTable::emptyStateMessage);
}

int HeatsListController::highlightedIndex() const
{
    const auto row = m_flow->highlightedRow();
    return row ? m_model.indexOf(*row) : -1;
}

void HeatsListController::toggleSection(int section)
{
    if (section >= 0) {
        m_flow->toggleSection(static_cast<std::size_t>(section));
    }
}

void HeatsListController::selectRow(int section, int row)
{
    if (section >= 0 && row >= 0) {
        m_flow->selectRow(static_cast<std::size_t>(section), static_cast<std::size_t>(row));
    }
}

void HeatsListController::changed(flows::HeatsListChange change)
{
    using Kind = flows::HeatsListChange::Kind;
    switch (change.kind) {
    case Kind::table: {
        const auto& data = m_flow->tableData();
        m_model.reset(data ? *data : std::vector<screens::Section>{}, m_flow->highlightedRow());
        emit tableChanged();
        emit selectionChanged();
        break;
    }
    case Kind::title:
        emit titleChanged();
        break;
    case Kind::refreshing:
        emit refreshingChanged();
        break;
    case Kind::furnaceButton:
        emit furnaceButtonEnabledChanged();
        break;
    case Kind::selection:
        m_model.setHighlighted(m_flow->highlightedRow());
        emit selectionChanged();
        break;
    case Kind::rows:
        if (const auto& data = m_flow->tableData(); data && change.section < data->size()) {
            m_model.sectionEdited(change.section, (*data)[change.section], change.rows, m_flow->highlightedRow());
        }
        emit rowsEdited();
        break;
    case Kind::section:
        if (const auto& data = m_flow->tableData(); data && change.section < data->size()) {
            m_model.sectionToggled(change.section, (*data)[change.section].collapsed);
        }
        emit selectionChanged();
        break;
    }
}

} // namespace orvendel::app
