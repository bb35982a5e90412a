#include "cli/announcements.hpp"

#include <algorithm>

namespace orvendel::cli {

flows::AlertHandle Announcements::presentAlert(flows::Alert alert)
{
    switch (alert.kind) {
    case flows::Alert::Kind::progress:
        return {}; // the command's own wait shows the progress
    case flows::Alert::Kind::question: {
        // The cancel-style button is the "No".
        const auto no = std::find_if(alert.actions.begin(), alert.actions.end(), [](const flows::AlertAction& action) {
            return action.style == flows::AlertAction::Style::cancel;
        });
        const auto yes = std::find_if(alert.actions.begin(), alert.actions.end(), [](const flows::AlertAction& action) {
            return action.style != flows::AlertAction::Style::cancel;
        });
        const auto chosen = m_answerYes ? yes : no;
        m_questions.push_back(Question{alert.title, alert.message, m_answerYes});
        if (chosen != alert.actions.end() && chosen->action) {
            chosen->action();
        }
        return {};
    }
    case flows::Alert::Kind::information:
        break;
    }
    alerts.push_back(Alert{std::move(alert.title), std::move(alert.message), std::move(alert.error)});
    return {};
}

void Announcements::openURL(const std::string& url)
{
    notices.push_back("Open " + url);
}

void Announcements::moveInto(Reply& reply)
{
    for (auto& value : alerts) {
        reply.add(std::move(value));
    }
    for (auto& text : notices) {
        reply.notices.push_back(std::move(text));
    }
    alerts.clear();
    notices.clear();
}

} // namespace orvendel::cli
