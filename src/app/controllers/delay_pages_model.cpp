#include "app/controllers/delay_pages_model.hpp"

#include "app/controllers/display_text.hpp"
#include "core/model/utilities.hpp"
#include "core/screens/split_time.hpp"

namespace orvendel::app {
namespace {

QString text(const std::string& value)
{
    return QString::fromStdString(value);
}

std::string clock(const ZonedDateTime& date)
{
    return Utilities::formatDateInZone(date.date, date.timeZone, Calendar::gregorian(date.timeZone), "HH:mm:ss");
}

} // namespace

DelayPagesModel::DelayPagesModel(QObject* parent) : QAbstractListModel(parent) {}

void DelayPagesModel::setFlow(const flows::DelayPagesFlow* flow)
{
    beginResetModel();
    m_flow = flow;
    m_count = m_flow ? static_cast<int>(m_flow->pages().size()) : 0;
    endResetModel();
}

void DelayPagesModel::reset()
{
    beginResetModel();
    m_count = m_flow ? static_cast<int>(m_flow->pages().size()) : 0;
    endResetModel();
}

void DelayPagesModel::pageInserted(std::size_t page)
{
    beginInsertRows({}, static_cast<int>(page), static_cast<int>(page));
    ++m_count;
    endInsertRows();
}

void DelayPagesModel::pageRemoved(std::size_t page)
{
    beginRemoveRows({}, static_cast<int>(page), static_cast<int>(page));
    --m_count;
    endRemoveRows();
}

void DelayPagesModel::pageChanged(std::size_t page)
{
    const auto row = index(static_cast<int>(page));
    emit dataChanged(row, row);
}

int DelayPagesModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_count;
}

QVariant DelayPagesModel::data(const QModelIndex& index, int role) const
{
    const auto* page = m_flow && index.isValid() && index.row() < m_count
                           ? m_flow->page(static_cast<std::size_t>(index.row()))
                           : nullptr;
    if (!page) {
        return {};
    }
    const Delay& shown = page->shown();
    const Delay& delay = *page->delay;
    namespace split = screens::SplitTime;
    switch (role) {
    case TitleRole:
    case ReasonRole:
        return displayText(shown.reasonDescription);
    case TimesRole:
        return text(clock(delay.startDate) + " – " + clock(delay.endDate));
    case DurationRole:
        return text(split::elapsedText(delay.startDate, delay.endDate));
    case HasCommentRole:
        return shown.comment.has_value();
    case CommentRole:
        return displayText(shown.comment.value_or(std::string()));
    case EditedRole:
        return page->showsEditedMarkers;
    case SplitEnabledRole:
        return page->splitEnabled;
    case SliderMaximumRole:
        return page->model->splitLength();
    case SliderValueRole:
        return page->sliderValue;
    case RelativeStartRole:
        return QString::fromUtf8(split::startElapsedText);
    case RelativeSelectedRole:
        return text(split::selectionTexts(delay.startDate, page->sliderValue).relativeSelected);
    case RelativeEndRole:
        return text(split::elapsedText(delay.startDate, delay.endDate));
    case AbsoluteStartRole:
        return text(split::sliderTexts(delay.startDate, delay.endDate).absoluteStart);
    case AbsoluteSelectedRole:
        return text(split::selectionTexts(delay.startDate, page->sliderValue).absoluteSelected);
    case AbsoluteEndRole:
        return text(split::sliderTexts(delay.startDate, delay.endDate).absoluteEnd);
    default:
        return {};
    }
}

QHash<int, QByteArray> DelayPagesModel::roleNames() const
{
    return {
        {TitleRole, "title"},
        {TimesRole, "times"},
        {DurationRole, "duration"},
        {ReasonRole, "reason"},
        {HasCommentRole, "hasComment"},
        {CommentRole, "comment"},
        {EditedRole, "edited"},
        {SplitEnabledRole, "splitEnabled"},
        {SliderMaximumRole, "sliderMaximum"},
        {SliderValueRole, "sliderValue"},
        {RelativeStartRole, "relativeStart"},
        {RelativeSelectedRole, "relativeSelected"},
        {RelativeEndRole, "relativeEnd"},
        {AbsoluteStartRole, "absoluteStart"},
        {AbsoluteSelectedRole, "absoluteSelected"},
        {AbsoluteEndRole, "absoluteEnd"},
    };
}

} // namespace orvendel::app
