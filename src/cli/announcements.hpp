#pragma once

#include "cli/reply.hpp"
#include "core/flows/presenter.hpp"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace orvendel::cli {

// The flows' presenter for a terminal: what the screens showed since the last command printed — alerts,
// and notices of screen changes the app shows without an alert (a forced sign-out). The next reply takes
// them. A question (Yes/No) is answered at once by the running command's choice, "No" unless it chose
// otherwise; progress alerts ("Saving...") are not shown.
// Thread contract: the main loop's thread only.
class Announcements final : public flows::Presenter {
public:
    std::vector<Alert> alerts;
    std::vector<std::string> notices;

    flows::AlertHandle presentAlert(flows::Alert alert) override;
    void openURL(const std::string& url) override;

    void alert(Alert value) { alerts.push_back(std::move(value)); }
    void notice(std::string text) { notices.push_back(std::move(text)); }

    // How the next questions are answered; "No" unless set.
    void answerQuestionsWithYes(bool yes) { m_answerYes = yes; }
    // The questions asked since last taken, with the answer given.
    struct Question {
        std::string title;
        std::string message;
        bool answeredYes = false;
    };
    std::vector<Question> takeQuestions() { return std::exchange(m_questions, {}); }

    void moveInto(Reply& reply);

private:
    bool m_answerYes = false;
    std::vector<Question> m_questions;
};

} // namespace orvendel::cli
