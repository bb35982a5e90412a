#pragma once

#include "core/editing/delay_edit_model.hpp"
#include "core/model/result_information.hpp"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace orvendel::flows {

// One button of an alert. `action` runs on the user-interface executor when the button is chosen.
struct AlertAction {
    enum class Style { normal, cancel };
    std::string title;
    Style style = Style::normal;
    std::function<void()> action;
};

// What a screen asks the user to see or answer, and of which kind: information (acknowledged with its only
// button), a question (its buttons are the answers; the cancel-style one is "no") or progress (no button; the
// flow that presented it dismisses it). `error` is the failure behind an alert that reports one, for front
// ends that report failures as values.
struct Alert {
    enum class Kind { information, question, progress };
    std::string title;
    std::string message;
    std::vector<AlertAction> actions;
    std::optional<Error> error;
    Kind kind = Kind::information;

    // The button Return presses: the only one, else the first that is not of cancel style (a question's
    // answer); none for an alert without buttons.
    std::optional<std::size_t> defaultActionIndex() const;

    // Information with a single "OK" button of cancel style.
    static Alert ok(std::string title, std::string message, std::optional<Error> error = std::nullopt);
    static Alert question(std::string title, std::string message, std::vector<AlertAction> answers);
    static Alert progress(std::string message);
};

// Names one presented alert, so that its flow can take it away again (0 names none).
struct AlertHandle {
    std::uint64_t id = 0;
    explicit operator bool() const { return id != 0; }
    friend bool operator==(AlertHandle, AlertHandle) = default;
};

// What the flows need of a front end besides their own state: alerts and the platform's URL handler.
// Thread contract: called on the user-interface executor only.
class Presenter {
public:
    Presenter() = default;
    Presenter(const Presenter&) = delete;
    Presenter& operator=(const Presenter&) = delete;
    virtual ~Presenter() = default;

    virtual AlertHandle presentAlert(Alert alert) = 0;
    // Takes the alert away, shown or waiting, without running any of its actions; nothing when it is gone.
    virtual void dismiss(AlertHandle) {}
    // The shown screen is being replaced: every alert it presented goes with it, shown or waiting, questions
    // and progress alerts alike. None of their actions runs.
    virtual void dismissAll() {}
    virtual void openURL(const std::string& url) = 0;

    // A reference for those that may outlive this presenter (flows, callbacks in flight).
    class Ref;
    Ref ref() const;

private:
    std::shared_ptr<Presenter*> m_alive = std::make_shared<Presenter*>(this);
};

// A presenter's reference that cannot dangle: once the presenter is gone (or for none), its calls do
// nothing and `presentAlert` names no alert.
class Presenter::Ref {
public:
    Ref() = default;
    explicit operator bool() const { return get() != nullptr; }

    AlertHandle presentAlert(Alert alert) const
    {
        auto* presenter = get();
        return presenter ? presenter->presentAlert(std::move(alert)) : AlertHandle{};
    }
    void dismiss(AlertHandle handle) const
    {
        if (auto* presenter = get()) {
            presenter->dismiss(handle);
        }
    }
    void dismissAll() const
    {
        if (auto* presenter = get()) {
            presenter->dismissAll();
        }
    }
    void openURL(const std::string& url) const
    {
        if (auto* presenter = get()) {
            presenter->openURL(url);
        }
    }

private:
    friend class Presenter;
    explicit Ref(std::weak_ptr<Presenter*> alive) : m_alive(std::move(alive)) {}
    Presenter* get() const
    {
        const auto alive = m_alive.lock();
        return alive ? *alive : nullptr;
    }
    std::weak_ptr<Presenter*> m_alive;
};

inline Presenter::Ref Presenter::ref() const
{
    return Ref(m_alive);
}

// The editing rules' alerts on a presenter, as information carrying their failure.
std::function<void(EditAlert)> editAlertsOn(Presenter::Ref presenter);

// A read of the local store failed: the "Problem" alert with the store's reason, so that a damaged cache
// is not taken for an empty one. Without a presenter the failure is only logged.
void presentStoreReadFailure(const Presenter::Ref& presenter, const Error& error);

} // namespace orvendel::flows
