#include "core/flows/presenter.hpp"

namespace orvendel::flows {

Alert Alert::ok(std::string title, std::string message, std::optional<Error> error)
{
    return Alert{
        std::move(title), std::move(message), {AlertAction{"OK", AlertAction::Style::cancel, {}}}, std::move(error)};
}

} // namespace orvendel::flows
