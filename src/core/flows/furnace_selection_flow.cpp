#include "core/flows/furnace_selection_flow.hpp"

#include "core/flows/observe_on.hpp"
#include "core/storage/database_manager.hpp"
#include "core/storage/user_configuration_manager.hpp"

namespace orvendel::flows {

std::shared_ptr<FurnaceSelectionFlow> FurnaceSelectionFlow::create(ExecutorPtr executor,
                                                                   const std::shared_ptr<HeatsListFlow>& heatsList)
{
    return std::shared_ptr<FurnaceSelectionFlow>(
        new FurnaceSelectionFlow(heatsList->context(), std::move(executor), heatsList, heatsList->presenter()));
}

FurnaceSelectionFlow::FurnaceSelectionFlow(ContextPtr context, ExecutorPtr executor,
                                           std::weak_ptr<HeatsListFlow> heatsList, Presenter::Ref presenter)
    : m_context(std::move(context)), m_executor(std::move(executor)), m_heatsList(std::move(heatsList)),
      m_presenter(std::move(presenter)), m_selectedFurnaceId(m_context->configuration->selectedFurnaceId())
{}

void FurnaceSelectionFlow::load()
{
    m_context->database->fetchFurnaces(onExecutor(m_executor, weak_from_this(), &FurnaceSelectionFlow::loaded));
}

void FurnaceSelectionFlow::loaded(Result<std::vector<FurnacePtr>> furnaces)
{
    m_loaded = true;
    m_loadError = furnaces.errorIfAny();
    if (m_loadError) {
        presentStoreReadFailure(m_presenter, *m_loadError);
        return;
    }
    m_furnaces.clear();
    for (const auto& furnace : *furnaces) {
        if (furnace) {
            m_furnaces.push_back(*furnace);
        }
    }
    if (m_changeHandler) {
        m_changeHandler();
    }
}

screens::FurnaceSelection::Row FurnaceSelectionFlow::row(std::size_t index) const
{
    return screens::FurnaceSelection::row(m_furnaces, m_selectedFurnaceId, index);
}

std::optional<std::size_t> FurnaceSelectionFlow::initialRow() const
{
    return screens::FurnaceSelection::initialRow(m_furnaces, m_selectedFurnaceId);
}

bool FurnaceSelectionFlow::choose(std::size_t index)
{
    const auto choice = screens::FurnaceSelection::choose(m_furnaces, m_selectedFurnaceId, index);
    if (choice.kind != screens::FurnaceSelection::Choice::Kind::Selected || !choice.furnace) {
        return false;
    }
    m_selectedFurnaceId = choice.furnace->id;
    if (m_changeHandler) {
        m_changeHandler();
    }
    if (auto heatsList = m_heatsList.lock()) {
        heatsList->didSelectFurnace(*choice.furnace);
    }
    return true;
}

} // namespace orvendel::flows
