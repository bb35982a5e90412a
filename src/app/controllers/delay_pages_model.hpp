#pragma once

#include "core/flows/delay_pages_flow.hpp"

#include <QAbstractListModel>

namespace orvendel::app {

// The delay pages as a list, one entry per page, with what a page draws: the reason as its title, the times,
// the comment, the edited markers, the split slider's span, thumb and texts, and the "Split" button's state.
// Thread contract: the GUI thread only.
class DelayPagesModel : public QAbstractListModel {
    Q_OBJECT

public:
    enum Role {
        TitleRole = Qt::UserRole + 1,
        TimesRole, // "HH:mm:ss – HH:mm:ss" in the delay's zone
        DurationRole,
        ReasonRole,
        HasCommentRole,
        CommentRole,
        EditedRole,
        SplitEnabledRole,
        SliderMaximumRole,
        SliderValueRole,
        RelativeStartRole,
        RelativeSelectedRole,
        RelativeEndRole,
        AbsoluteStartRole,
        AbsoluteSelectedRole,
        AbsoluteEndRole,
    };

    explicit DelayPagesModel(QObject* parent = nullptr);

    // The flow whose pages are shown; must outlive the model or be replaced first.
    void setFlow(const flows::DelayPagesFlow* flow);
    // The pages were rebuilt, or one page changed.
    void reset();
    void pageChanged(std::size_t page);
    // A page was put in or taken out at `page` (the flow's pages already are as they will be).
    void pageInserted(std::size_t page);
    void pageRemoved(std::size_t page);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

private:
    const flows::DelayPagesFlow* m_flow = nullptr;
    // The rows the views were told of: between a change of the flow's pages and its announcement they differ.
    int m_count = 0;
};

} // namespace orvendel::app
