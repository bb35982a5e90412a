#pragma once

#include "app/controllers/comment_editor_controller.hpp"
#include "app/controllers/delay_pages_model.hpp"
#include "app/controllers/reason_finder_controller.hpp"
#include "app/controllers/split_time_picker_controller.hpp"
#include "core/flows/delay_pages_flow.hpp"

#include <QObject>
#include <QPointer>
#include <QVariantMap>
#include <QtQml/qqmlregistration.h>

#include <memory>
#include <optional>

namespace orvendel::app {

// The delay editor below the charts over its flow: the pages, the page in view, and every action a page
// offers. The reason finder, the split picker and the comment editor it opens are made here for one page
// each and apply their result to that page.
// Thread contract: the GUI thread only.
class DelayPagesController : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Made by the heat detail")
    Q_PROPERTY(QAbstractListModel* model READ model CONSTANT)
    Q_PROPERTY(int currentIndex READ currentIndex NOTIFY currentIndexChanged)
    Q_PROPERTY(int count READ count NOTIFY countChanged)

public:
    DelayPagesController(std::shared_ptr<flows::DelayPagesFlow> flow, QObject* parent = nullptr);
    ~DelayPagesController() override;

    DelayPagesModel* model() { return &m_model; }
    int currentIndex() const { return static_cast<int>(m_flow->currentIndex()); }
    int count() const { return static_cast<int>(m_flow->pages().size()); }

    // A swipe, an arrow key or a tap on the page indicator.
    Q_INVOKABLE void turnTo(int index);
    // The texts over and on the thumb while it is dragged: {"relativeSelected", "absoluteSelected"}.
    Q_INVOKABLE QVariantMap thumbTexts(int index, double value) const;
    Q_INVOKABLE void sliderReleased(int index, double value);
    Q_INVOKABLE void askSplit(int index);
    Q_INVOKABLE void askUndo(int index);
    Q_INVOKABLE orvendel::app::SplitTimePickerController* openSplitPicker(int index);
    Q_INVOKABLE orvendel::app::CommentEditorController* openCommentEditor(int index);
    Q_INVOKABLE orvendel::app::ReasonFinderController* openReasonFinder(int index);

    const std::shared_ptr<flows::DelayPagesFlow>& flow() const { return m_flow; }

signals:
    void currentIndexChanged();
    // Around a rebuild of the pages: the view notes which control has the keys and gives them back after.
    void pagesAboutToReset();
    void pagesReset();
    void countChanged();
    // A page was put in or taken out without a rebuild.
    void pagesRearranged();
    // The open comment editor, picker or finder belonged to a delay that is no longer shown. One whose delay
    // is still shown stays open across a rebuild.
    void editorsDismissed();

private:
    void changed(flows::DelayPagesFlow::Change change, std::size_t index);
    void keep(QObject* editor, flows::DelayPagesFlow::EditorTarget target);
    void carryOverOrDismissEditor();
    bool valid(int index) const { return index >= 0 && static_cast<std::size_t>(index) < m_flow->pages().size(); }

    std::shared_ptr<flows::DelayPagesFlow> m_flow;
    DelayPagesModel m_model;
    QPointer<QObject> m_openEditor;
    std::optional<flows::DelayPagesFlow::EditorTarget> m_openTarget;
    HandlerToken m_flowChanges; // the flow calls back only while this lives
};

} // namespace orvendel::app
