#include "app/controllers/delay_pages_controller.hpp"

#include "core/screens/split_time.hpp"

#include <QQmlEngine>

namespace orvendel::app {

DelayPagesController::DelayPagesController(std::shared_ptr<flows::DelayPagesFlow> flow, QObject* parent)
    : QObject(parent), m_flow(std::move(flow))
{
    m_model.setFlow(m_flow.get());
    m_flowChanges = m_flow->setChangeHandler(
        [this](flows::DelayPagesFlow::Change change, std::size_t index) { changed(change, index); });
}

DelayPagesController::~DelayPagesController()
{
    m_flowChanges.reset();
    m_model.setFlow(nullptr);
}

void DelayPagesController::changed(flows::DelayPagesFlow::Change change, std::size_t index)
{
    switch (change) {
    case flows::DelayPagesFlow::Change::pages:
        carryOverOrDismissEditor();
        emit pagesAboutToReset();
        m_model.reset();
        emit pagesReset();
        emit countChanged();
        emit currentIndexChanged();
        break;
    case flows::DelayPagesFlow::Change::inserted:
        m_model.pageInserted(index);
        emit countChanged();
        emit pagesRearranged();
        break;
    case flows::DelayPagesFlow::Change::removed:
        carryOverOrDismissEditor();
        m_model.pageRemoved(index);
        emit countChanged();
        emit pagesRearranged();
        break;
    case flows::DelayPagesFlow::Change::currentPage:
        emit currentIndexChanged();
        break;
    case flows::DelayPagesFlow::Change::page:
        m_model.pageChanged(index);
        break;
    }
}

void DelayPagesController::keep(QObject* editor, flows::DelayPagesFlow::EditorTarget target)
{
    // Ours, not the script's: it is deleted when it finishes or its delay is no longer shown.
    QQmlEngine::setObjectOwnership(editor, QQmlEngine::CppOwnership);
    if (m_openEditor && m_openEditor != editor) {
        m_openEditor->deleteLater();
    }
    m_openEditor = editor;
    m_openTarget = std::move(target);
}

void DelayPagesController::carryOverOrDismissEditor()
{
    // An editor stays open, typed text and choice in hand, while its delay is shown on some page; it applies
    // its result to that page. Only when the delay is gone does it close, a typed comment kept as an edit.
    if (!m_openEditor || !m_openTarget || m_flow->pageFor(*m_openTarget)) {
        return;
    }
    if (auto* comment = qobject_cast<CommentEditorController*>(m_openEditor.data())) {
        m_flow->keepCommentOfVanishedDelay(*m_openTarget, comment->text().toStdString());
    }
    m_openEditor->deleteLater();
    m_openEditor.clear();
    m_openTarget.reset();
    emit editorsDismissed();
}

void DelayPagesController::turnTo(int index)
{
    if (valid(index)) {
        m_flow->turnTo(static_cast<std::size_t>(index));
    }
}

QVariantMap DelayPagesController::thumbTexts(int index, double value) const
{
    if (!valid(index)) {
        return {};
    }
    const auto& delay = *m_flow->pages()[static_cast<std::size_t>(index)].delay;
    const auto texts =
        screens::SplitTime::selectionTexts(delay.startDate, screens::SplitTime::snapToWholeSecond(value));
    return {{QStringLiteral("relativeSelected"), QString::fromStdString(texts.relativeSelected)},
            {QStringLiteral("absoluteSelected"), QString::fromStdString(texts.absoluteSelected)}};
}

void DelayPagesController::sliderReleased(int index, double value)
{
    if (valid(index)) {
        m_flow->sliderReleased(static_cast<std::size_t>(index), value);
    }
}

void DelayPagesController::askSplit(int index)
{
    if (valid(index)) {
        m_flow->askSplit(static_cast<std::size_t>(index));
    }
}

void DelayPagesController::askUndo(int index)
{
    if (valid(index)) {
        m_flow->askUndo(static_cast<std::size_t>(index));
    }
}

SplitTimePickerController* DelayPagesController::openSplitPicker(int index)
{
    if (!valid(index)) {
        return nullptr;
    }
    const auto& page = m_flow->pages()[static_cast<std::size_t>(index)];
    auto* picker = new SplitTimePickerController(page.delay->startDate, page.delay->endDate,
                                                 static_cast<float>(page.sliderValue), this);
    const std::weak_ptr<flows::DelayPagesFlow> flow = m_flow;
    const auto target = *m_flow->editorTarget(static_cast<std::size_t>(index));
    connect(picker, &SplitTimePickerController::assigned, this, [flow, target](double offset) {
        auto pages = flow.lock();
        if (const auto now = pages ? pages->pageFor(target) : std::nullopt) {
            pages->assignSplitOffset(*now, offset);
        }
    });
    connect(picker, &SplitTimePickerController::finished, picker, &QObject::deleteLater);
    keep(picker, target);
    return picker;
}

CommentEditorController* DelayPagesController::openCommentEditor(int index)
{
    if (!valid(index)) {
        return nullptr;
    }
    auto* editor = new CommentEditorController(m_flow->commentForEditor(static_cast<std::size_t>(index)), this);
    const std::weak_ptr<flows::DelayPagesFlow> flow = m_flow;
    const auto target = *m_flow->editorTarget(static_cast<std::size_t>(index));
    connect(editor, &CommentEditorController::updated, this, [flow, target](const QString& text) {
        auto pages = flow.lock();
        if (const auto now = pages ? pages->pageFor(target) : std::nullopt) {
            pages->applyComment(*now, text.toStdString());
        }
    });
    connect(editor, &CommentEditorController::finished, editor, &QObject::deleteLater);
    keep(editor, target);
    return editor;
}

ReasonFinderController* DelayPagesController::openReasonFinder(int index)
{
    auto flow = valid(index) ? m_flow->makeReasonFinder(static_cast<std::size_t>(index)) : nullptr;
    if (!flow) {
        return nullptr;
    }
    auto* finder = new ReasonFinderController(std::move(flow), this);
    connect(finder, &ReasonFinderController::finished, finder, &QObject::deleteLater);
    keep(finder, *m_flow->editorTarget(static_cast<std::size_t>(index)));
    return finder;
}

} // namespace orvendel::app
