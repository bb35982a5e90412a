#include "app/app_window.hpp"

#include <QUrl>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace orvendel::app {

namespace {

// The session's worker threads (storage, edits, downloads, timers, the network, reachability) each work in short
// bursts. With an allocator arena of their own, what a burst freed stays in that thread's arena, resident, while
// the GUI thread asks the system for more: megabytes with a busy heat open. They allocate seldom enough that one
// shared arena is never contended, and what one thread frees the next reuses.
void shareOneAllocatorArena()
{
#if defined(__GLIBC__)
    mallopt(M_ARENA_MAX, 1);
#endif
}

// The session's threads start with the controller, so the allocator is set up first.
std::unique_ptr<ApplicationController> makeController(ApplicationController::Options options)
{
    shareOneAllocatorArena();
    return std::make_unique<ApplicationController>(std::move(options));
}

} // namespace

AppWindow::AppWindow(ApplicationController::Options options)
    : m_controller(makeController(std::move(options))), m_engine(std::make_unique<QQmlApplicationEngine>())
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
