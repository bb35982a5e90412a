#pragma once

#include "app/controllers/application_controller.hpp"

#include <QQmlApplicationEngine>
#include <QQuickWindow>

#include <memory>

namespace orvendel::app {

// The application's window: the shell's controller and the QML that draws it, launched on the sign-in
// screen. The program, the GUI tests and the screenshot tool all make it this way.
// Thread contract: the GUI thread only.
class AppWindow {
public:
    explicit AppWindow(ApplicationController::Options options);
    ~AppWindow();
    AppWindow(const AppWindow&) = delete;
    AppWindow& operator=(const AppWindow&) = delete;

    // False when the QML did not load (the reason went to the console).
    bool load();

    ApplicationController& controller() { return *m_controller; }
    QQmlApplicationEngine& engine() { return *m_engine; }
    QQuickWindow* window() const { return m_window; }

private:
    std::unique_ptr<ApplicationController> m_controller;
    std::unique_ptr<QQmlApplicationEngine> m_engine;
    QQuickWindow* m_window = nullptr;
};

} // namespace orvendel::app
