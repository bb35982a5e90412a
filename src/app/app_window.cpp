#include "app/app_window.hpp"

#include <QUrl>

namespace orvendel::app {

AppWindow::AppWindow(ApplicationController::Options options)
    : m_controller(std::make_unique<ApplicationController>(std::move(options))),
      m_engine(std::make_unique<QQmlApplicationEngine>())
{}

AppWindow::~AppWindow()
{
    // The sign-out first, while the screens can still hear about it; then the window, then the flows.
    m_controller->shutDown();
    m_engine.reset();
    m_controller.reset();
}

bool AppWindow::load()
{
    m_controller->launch();
    m_engine->addImportPath(QStringLiteral("qrc:/qt/qml"));
    m_engine->setInitialProperties({{QStringLiteral("app"), QVariant::fromValue(m_controller.get())}});
    m_engine->load(QUrl(QStringLiteral("qrc:/qt/qml/Orvendel/qml/Main.qml")));
    const auto roots = m_engine->rootObjects();
    m_window = roots.isEmpty() ? nullptr : qobject_cast<QQuickWindow*>(roots.first());
    if (m_window) {
        m_controller->attachWindow(m_window);
    }
    return m_window != nullptr;
}

} // namespace orvendel::app
