#include "core/flows/presenter.hpp"

#include "core/screens/error_alert.hpp"
#include "core/support/log.hpp"

namespace orvendel::flows {

Alert Alert::ok(std::string title, std::string message, std::optional<Error> error)
{
    return Alert{
        std::move(title), std::move(message), {AlertAction{"OK", AlertAction::Style::cancel, {}}}, std::move(error)};
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
