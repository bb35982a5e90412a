#pragma once

#include "core/editing/edit_settings.hpp"

namespace orvendel::flows {

// The editing rules' settings, read from the signed-in user's configuration at the moment they are asked.
// Thread contract: any thread.
class ConfiguredEditSettings final : public EditSettings {
public:
    bool isAutoSaveEnabled() const override;
    int selectedFurnaceId() const override;
};

} // namespace orvendel::flows
