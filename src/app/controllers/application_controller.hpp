#pragma once

#include "app/controllers/alert_presenter.hpp"
#include "app/controllers/furnace_selection_controller.hpp"
#include "app/controllers/heat_detail_controller.hpp"
#include "app/controllers/heats_list_controller.hpp"
#include "app/controllers/settings_controller.hpp"
#include "app/controllers/shift_report_controller.hpp"
#include "app/controllers/sign_in_controller.hpp"
#include "core/flows/application_flow.hpp"
#include "core/flows/context.hpp"
#include "core/flows/service_connectivity.hpp"
#include "core/service/service_address.hpp"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWindow>
#include <QtQml/qqmlregistration.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace orvendel::app {

// The application shell over its flow: which of the two screens fills the window and the controllers of
// the shown one, the alerts, every input event for the idle timer, and the window's life cycle.
// Thread contract: the GUI thread only.
class ApplicationController : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Made by the program")
    // "signIn" or "main".
    Q_PROPERTY(QString screen READ screen NOTIFY screenChanged)
    Q_PROPERTY(SignInController* signIn READ signIn NOTIFY signInChanged)
    Q_PROPERTY(HeatsListController* heatsList READ heatsList NOTIFY mainScreenChanged)
    Q_PROPERTY(HeatDetailController* heatDetail READ heatDetail NOTIFY mainScreenChanged)
    Q_PROPERTY(SettingsController* settings READ settings NOTIFY mainScreenChanged)
    Q_PROPERTY(AlertPresenter* alerts READ alerts CONSTANT)

public:
    struct Options {
        flows::ConnectivityMode connectivity = flows::ConnectivityMode::automatic;
        std::shared_ptr<Clock> clock; // the system clock when none
        Clock::Duration idleTimeout = flows::ApplicationFlow::defaultIdleTimeout;
        bool checkForUpdates = true;
        // Where the service, the update check (none: off) and the user's files are.
        std::string serviceURL = ServiceAddress::defaultBaseURL;
        std::optional<std::string> storeSearchURL;
        std::optional<std::filesystem::path> applicationSupportDirectory; // none: the environment's choice
    };

    explicit ApplicationController(Options options, QObject* parent = nullptr);
    ~ApplicationController() override;

    // The first sign-in screen.
    void launch();
    // Minimising or hiding the window sends the application to the background.
    void attachWindow(QWindow* window);
    // Before the program ends: the logout sequence, so that nothing outlives the event loop.
    void shutDown();

    QString screen() const;
    SignInController* signIn() const { return m_signIn; }
    HeatsListController* heatsList() const { return m_heatsList; }
    HeatDetailController* heatDetail() const { return m_heatDetail; }
    SettingsController* settings() const { return m_settings; }
    AlertPresenter* alerts() { return &m_alerts; }
    flows::ApplicationFlow& flow() { return *m_flow; }
    // The managers the flows work with; made with the controller, gone with it.
    const flows::Context& context() const { return *m_context; }
    const ExecutorPtr& executor() const { return m_executor; }

    // The furnace button: a new list of the stored furnaces for the popover.
    Q_INVOKABLE orvendel::app::FurnaceSelectionController* openFurnaceSelection();
    // The heats list's report button: a new report over every furnace the user may see, downloading.
    Q_INVOKABLE orvendel::app::ShiftReportController* openShiftReport();

    bool eventFilter(QObject* watched, QEvent* event) override;

signals:
    void screenChanged();
    void signInChanged();
    void mainScreenChanged();

private:
    void screenShown(flows::Screen screen, flows::ScreenChange change);
    template <typename T>
    static void retire(QPointer<T>& controller);

    AlertPresenter m_alerts;
    ExecutorPtr m_executor;
    flows::ContextPtr m_context;
    std::shared_ptr<flows::ServiceConnectivity> m_connectivity;
    std::shared_ptr<flows::ApplicationFlow> m_flow;
    flows::Screen m_screen = flows::Screen::signIn;
    QPointer<SignInController> m_signIn;
    QPointer<HeatsListController> m_heatsList;
    QPointer<HeatDetailController> m_heatDetail;
    QPointer<SettingsController> m_settings;
    QPointer<FurnaceSelectionController> m_furnaceSelection;
    QPointer<ShiftReportController> m_shiftReport;
    bool m_windowClosing = false;
    bool m_away = false; // the window is minimised or hidden
};

} // namespace orvendel::app
