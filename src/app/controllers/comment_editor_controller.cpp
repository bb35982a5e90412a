#include "app/controllers/comment_editor_controller.hpp"

#include "core/screens/comment_rules.hpp"

namespace orvendel::app {

namespace rules = screens::CommentRules;

CommentEditorController::CommentEditorController(std::optional<std::string> originalComment, QObject* parent)
    : QObject(parent), m_originalComment(std::move(originalComment)), m_text(m_originalComment.value_or(""))
{}

QString CommentEditorController::countText() const
{
    return QString::fromStdString(rules::characterCountText(m_text));
}

bool CommentEditorController::propose(const QString& text)
{
    const std::string proposed = text.toStdString();
    if (proposed == m_text) {
        return true;
    }
    // An over-long comment from the service may be shortened a step at a time, never lengthened.
    if (!rules::acceptsText(m_text, proposed)) {
        return false;
    }
    m_text = proposed;
    m_updateEnabled = rules::isUpdateEnabled(m_text, m_originalComment);
    emit textChanged();
    return true;
}

void CommentEditorController::update()
{
    if (!m_updateEnabled) {
        return;
    }
    emit updated(QString::fromStdString(CommentRule::trimmedComment(m_text)));
    emit finished();
}

} // namespace orvendel::app
