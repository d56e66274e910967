#include "fw/application.h"

#include "fw/backend.h"
#include "fw/startup_trace.h"

namespace fw {

Application& Application::instance() {
  static Application app;
  return app;
}

void Application::initialize() {
  registerStandardClasses();
  backend::initialize();
}

void Application::setTitle(std::string title) {
  title_ = std::move(title);
  backend::setApplicationTitle(title_);
}

void Application::showMainFormNow() {
  Form* main = mainForm();
  if (!main || !showMainForm || main->visible()) return;
  main->show();
  startup_trace::mark("main form shown");
}

void Application::run() {
  Form* main = mainForm();
  if (!main) return;
  showMainFormNow();
  backend::runMessageLoop([main] { return !main->closed(); });
  terminate();
}

Form* Application::findForm(std::string_view name) const {
  for (const auto& form : forms_)
    if (form->name() == name) return form.get();
  return nullptr;
}

void Application::processMessages() { backend::processMessages(); }

void Application::bringToFront() { backend::bringApplicationToFront(); }

void Application::terminate() {
  terminating_ = true;
  while (!forms_.empty()) forms_.pop_back();
  terminating_ = false;
}

void Application::guard(const std::function<void()>& handler) {
  try {
    handler();
  } catch (...) {
    auto& on = instance().onException;
    try {
      if (on) {
        on(std::current_exception());
      } else {
        std::rethrow_exception(std::current_exception());
      }
    } catch (const std::exception& e) {
      if (!on) backend::reportError(e.what());
    } catch (...) {
      // The exception event is the last stop; nothing may escape into the message loop.
    }
  }
}

ApplicationEvents::ApplicationEvents(Component* owner) : Component(owner) {
  Application::instance().onException = [this](std::exception_ptr e) {
    if (onException) onException(*this, e);
  };
}

ApplicationEvents::~ApplicationEvents() { Application::instance().onException = nullptr; }

}  // namespace fw
