#include "core/flows/configured_edit_settings.hpp"

#include "core/storage/user_configuration_manager.hpp"

namespace orvendel::flows {

bool ConfiguredEditSettings::isAutoSaveEnabled() const
{
    return m_configuration->isAutoSaveEnabled();
}

int ConfiguredEditSettings::selectedFurnaceId() const
{
    return m_configuration->selectedFurnaceId();
}

} // namespace orvendel::flows
