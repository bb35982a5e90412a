#include "core/flows/configured_edit_settings.hpp"

#include "core/storage/user_configuration_manager.hpp"

namespace orvendel::flows {

bool ConfiguredEditSettings::isAutoSaveEnabled() const
{
    return UserConfigurationManager::shared()->isAutoSaveEnabled();
}

int ConfiguredEditSettings::selectedFurnaceId() const
{
    return UserConfigurationManager::shared()->selectedFurnaceId();
}

} // namespace orvendel::flows
