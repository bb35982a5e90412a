#pragma once

#include "core/model/result_information.hpp"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace orvendel::flows {

// One button of an alert. `action` runs on the user-interface executor when the button is chosen.
struct AlertAction {
    enum class Style { normal, cancel };
    std::string title;
    Style style = Style::normal;
    std::function<void()> action;
};

// What a screen asks the user to see or answer. `error` is the failure behind an alert that reports one,
// for front ends that report failures as values.
struct Alert {
    std::string title;
    std::string message;
    std::vector<AlertAction> actions;
    std::optional<Error> error;

    // The button Return presses: the only one, else the first that is not of cancel style (a question's
    // answer); none for an alert without buttons.
    std::optional<std::size_t> defaultActionIndex() const;

    // An alert with a single "OK" button of cancel style.
    static Alert ok(std::string title, std::string message, std::optional<Error> error = std::nullopt);
};

// What the flows need of a front end besides their own state: alerts and the platform's URL handler.
// Thread contract: called on the user-interface executor only.
class Presenter {
public:
    virtual ~Presenter() = default;
    virtual void presentAlert(Alert alert) = 0;
    // Dismisses what a flow presented and is still shown (the "Saving..." alert).
    virtual void dismissPresented() {}
    // The shown screen is being replaced: every alert it presented goes with it, shown or waiting, questions
    // and progress alerts alike. None of their actions runs.
    virtual void dismissAll() {}
    virtual void openURL(const std::string& url) = 0;
};

// A read of the local store failed: the "Problem" alert with the store's reason, so that a damaged cache
// is not taken for an empty one. Without a presenter the failure is only logged.
void presentStoreReadFailure(Presenter* presenter, const Error& error);

} // namespace orvendel::flows
