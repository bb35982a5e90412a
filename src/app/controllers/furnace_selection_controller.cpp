#include "app/controllers/furnace_selection_controller.hpp"

#include "core/screens/furnace_selection.hpp"

namespace orvendel::app {

FurnaceListModel::FurnaceListModel(const flows::FurnaceSelectionFlow& flow, QObject* parent)
    : QAbstractListModel(parent), m_flow(flow)
{}

void FurnaceListModel::reload()
{
    beginResetModel();
    endResetModel();
}

int FurnaceListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_flow.furnaces().size());
}

QVariant FurnaceListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() < 0) {
        return {};
    }
    const auto row = m_flow.row(static_cast<std::size_t>(index.row()));
    switch (role) {
    case NameRole:
        return QString::fromStdString(row.text);
    case CheckedRole:
        return row.checked;
    default:
        return {};
    }
}

QHash<int, QByteArray> FurnaceListModel::roleNames() const
{
    return {{NameRole, "name"}, {CheckedRole, "checked"}};
}

FurnaceSelectionController::FurnaceSelectionController(std::shared_ptr<flows::FurnaceSelectionFlow> flow,
                                                       QObject* parent)
    : QObject(parent), m_flow(std::move(flow)), m_model(*m_flow)
{
    m_flowChanges = m_flow->setChangeHandler([this] {
        m_model.reload();
        emit loaded();
    });
    m_flow->load();
}

QString FurnaceSelectionController::title() const
{
    return QString::fromUtf8(screens::FurnaceSelection::title);
}

int FurnaceSelectionController::initialRow() const
{
    const auto row = m_flow->initialRow();
    return row ? static_cast<int>(*row) : -1;
}

void FurnaceSelectionController::choose(int row)
{
    if (row < 0) {
        return;
    }
    if (m_flow->choose(static_cast<std::size_t>(row))) {
        m_model.reload();
        emit chosen();
    }
}

} // namespace orvendel::app
