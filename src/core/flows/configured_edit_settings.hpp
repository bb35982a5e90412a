#pragma once

#include "core/editing/edit_settings.hpp"

#include <memory>

namespace orvendel {
class UserConfigurationManager;
}

namespace orvendel::flows {

// The editing rules' settings, read from the signed-in user's configuration at the moment they are asked.
// Thread contract: any thread.
class ConfiguredEditSettings final : public EditSettings {
public:
    explicit ConfiguredEditSettings(std::shared_ptr<const UserConfigurationManager> configuration)
        : m_configuration(std::move(configuration))
    {}

    bool isAutoSaveEnabled() const override;
    int selectedFurnaceId() const override;

private:
    std::shared_ptr<const UserConfigurationManager> m_configuration;
};

} // namespace orvendel::flows
