#include "core/flows/presenter.hpp"

#include "core/screens/error_alert.hpp"
#include "core/support/log.hpp"

namespace orvendel::flows {

Alert Alert::ok(std::string title, std::string message, std::optional<Error> error)
{
    return Alert{
        std::move(title), std::move(message), {AlertAction{"OK", AlertAction::Style::cancel, {}}}, std::move(error)};
}

std::optional<std::size_t> Alert::defaultActionIndex() const
{
    if (actions.size() <= 1) {
        return actions.empty() ? std::nullopt : std::optional<std::size_t>(0);
    }
    for (std::size_t i = 0; i < actions.size(); ++i) {
        if (actions[i].style != AlertAction::Style::cancel) {
            return i;
        }
    }
    return 0;
}

void presentStoreReadFailure(Presenter* presenter, const Error& error)
{
    log("Reading the stored data failed: " + error.description);
    if (presenter) {
        const auto text = screens::problemAlert(error);
        presenter->presentAlert(Alert::ok(text.title, text.message, error));
    }
}

} // namespace orvendel::flows
