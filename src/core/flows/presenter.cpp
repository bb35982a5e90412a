#include "core/flows/presenter.hpp"

#include "core/model/texts.hpp"
#include "core/screens/error_alert.hpp"
#include "core/support/log.hpp"

namespace orvendel::flows {

Alert Alert::ok(std::string title, std::string message, std::optional<Error> error)
{
    return Alert{std::move(title),
                 std::move(message),
                 {AlertAction{texts::ok, AlertAction::Style::cancel, {}}},
                 std::move(error)};
}

Alert Alert::question(std::string title, std::string message, std::vector<AlertAction> answers)
{
    return Alert{std::move(title), std::move(message), std::move(answers), std::nullopt, Kind::question};
}

Alert Alert::progress(std::string message)
{
    return Alert{{}, std::move(message), {}, std::nullopt, Kind::progress};
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

std::function<void(EditAlert)> editAlertsOn(Presenter::Ref presenter)
{
    return [presenter](EditAlert alert) {
        presenter.presentAlert(Alert::ok(std::move(alert.title), std::move(alert.message), std::move(alert.error)));
    };
}

void presentStoreReadFailure(const Presenter::Ref& presenter, const Error& error)
{
    log("Reading the stored data failed: " + error.description);
    const auto text = screens::problemAlert(error);
    presenter.presentAlert(Alert::ok(text.title, text.message, error));
}

} // namespace orvendel::flows
