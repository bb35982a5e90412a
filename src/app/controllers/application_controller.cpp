#include "app/controllers/application_controller.hpp"

#include "app/controllers/qt_executor.hpp"
#include "core/screens/error_alert.hpp"

#include <QEvent>
#include <QGuiApplication>

namespace orvendel::app {

namespace {

bool isInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
        return true;
    default:
        return false;
    }
}

flows::Context::Parts contextParts(const ApplicationController::Options& options)
{
    flows::Context::Parts parts;
    parts.clock = options.clock;
    if (options.applicationSupportDirectory) {
        parts.applicationSupportDirectory = [folder = *options.applicationSupportDirectory] {
            return std::optional(folder);
        };
    }
    parts.serviceURL = options.serviceURL;
    parts.storeSearchURL = options.storeSearchURL;
    return parts;
}

} // namespace

ApplicationController::ApplicationController(Options options, QObject* parent)
    : QObject(parent), m_executor(std::make_shared<QtExecutor>(this)),
      m_context(flows::Context::create(contextParts(options))),
      m_connectivity(std::make_shared<flows::ServiceConnectivity>(options.connectivity, m_context->serviceURL))
{
    m_connectivity->start(m_executor, *m_context->notificationCenter);
    flows::ApplicationFlow::Environment environment;
    environment.context = m_context;
    environment.executor = m_executor;
    environment.connectivity = m_connectivity;
    environment.presenter = m_alerts.ref();
    environment.idleTimeout = options.idleTimeout;
    environment.checkForUpdates = options.checkForUpdates;
    m_flow = flows::ApplicationFlow::create(std::move(environment));
    m_flow->setScreenHandler([this](flows::Screen screen, flows::ScreenChange change) { screenShown(screen, change); });
    // Input goes to windows first; watching the application sees every event before any item does.
    QCoreApplication::instance()->installEventFilter(this);
    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state == Qt::ApplicationInactive) {
            m_flow->willResignActive();
        }
    });
}

ApplicationController::~ApplicationController()
{
    if (auto* application = QCoreApplication::instance()) {
        application->removeEventFilter(this);
    }
    m_flow->setScreenHandler({});
}

template <typename T>
void ApplicationController::retire(QPointer<T>& controller)
{
    // QML may still hold the old controller until the screen that shows it is gone.
    if (controller) {
        controller->deleteLater();
    }
    controller = nullptr;
}

void ApplicationController::launch()
{
    m_flow->launch();
}

void ApplicationController::shutDown()
{
    m_windowClosing = true;
    if (m_flow->isSignedIn()) {
        m_flow->runLogoutSequence();
    }
}

QString ApplicationController::screen() const
{
    return m_screen == flows::Screen::main ? QStringLiteral("main") : QStringLiteral("signIn");
}

void ApplicationController::screenShown(flows::Screen screen, flows::ScreenChange)
{
    QPointer<SignInController> oldSignIn = m_signIn;
    retire(m_furnaceSelection);
    retire(m_shiftReport);
    if (screen == flows::Screen::signIn) {
        m_signIn = new SignInController(m_flow->signIn(), this);
        emit signInChanged();
    } else {
        m_heatsList = new HeatsListController(m_flow->heatsList(), this);
        m_heatDetail = new HeatDetailController(m_flow->heatDetail(), this);
        m_settings = new SettingsController(m_context, m_executor, m_alerts.ref(), this);
        emit mainScreenChanged();
        if (const auto restored = m_flow->restoredEditCount(); restored > 0) {
            const auto text = screens::restoredEditsAlert(restored);
            m_alerts.presentAlert(flows::Alert::ok(text.title, text.message));
        }
    }
    m_screen = screen;
    emit screenChanged();
    // The screen that showed the old controllers is gone now; they go at the next turn of the loop.
    if (screen == flows::Screen::signIn) {
        retire(oldSignIn);
        retire(m_heatsList);
        retire(m_heatDetail);
        retire(m_settings);
    } else {
        retire(m_signIn);
    }
}

FurnaceSelectionController* ApplicationController::openFurnaceSelection()
{
    const auto& heatsList = m_flow->heatsList();
    if (!heatsList) {
        return nullptr;
    }
    retire(m_furnaceSelection);
    m_furnaceSelection =
        new FurnaceSelectionController(flows::FurnaceSelectionFlow::create(m_executor, heatsList), this);
    return m_furnaceSelection;
}

ShiftReportController* ApplicationController::openShiftReport()
{
    const auto& heatsList = m_flow->heatsList();
    if (!heatsList) {
        return nullptr;
    }
    retire(m_shiftReport);
    m_shiftReport = new ShiftReportController({m_context, m_executor, {}}, heatsList, this);
    m_shiftReport->start();
    return m_shiftReport;
}

void ApplicationController::attachWindow(QWindow* window)
{
    connect(window, &QWindow::visibilityChanged, this, [this](QWindow::Visibility visibility) {
        // Once per trip: a minimised window that the system then hides has not left twice.
        const bool away = visibility == QWindow::Minimized || visibility == QWindow::Hidden;
        if (away && !m_away && !m_windowClosing) {
            m_flow->didEnterBackground();
        }
        m_away = away;
    });
}

bool ApplicationController::eventFilter(QObject* watched, QEvent* event)
{
    // Each event reaches the window and then its items; counting it once, at the window, is enough.
    if (watched->isWindowType()) {
        if (isInput(event->type())) {
            m_flow->userActivity();
        } else if (event->type() == QEvent::Close) {
            // A window closed by the user hides on its way out: that is no trip to the background.
            m_windowClosing = true;
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace orvendel::app
