#pragma once

namespace orvendel {

// What the editing rules read from the signed-in user's configuration.
// Thread contract: any thread.
class EditSettings {
public:
    virtual ~EditSettings() = default;
    // "IsAutoSaveEnabled": send every edit to the service right away.
    virtual bool isAutoSaveEnabled() const = 0;
    // "SelectedFurnaceId": the furnace the edits are saved for.
    virtual int selectedFurnaceId() const = 0;
};

} // namespace orvendel
