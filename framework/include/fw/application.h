#pragma once

#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "fw/form.h"

namespace fw {

// The application: title, forms in creation order (the first is the main form), the message
// loop, and the one place where errors that escape a handler end up.
class Application {
 public:
  static Application& instance();

  void initialize();
  const std::string& title() const { return title_; }
  void setTitle(std::string title);

  template <class F, class... Args>
  F& createForm(Args&&... args) {
    auto form = std::make_unique<F>(std::forward<Args>(args)...);
    F& ref = *form;
    forms_.push_back(std::move(form));
    return ref;
  }
  Form* mainForm() const { return forms_.empty() ? nullptr : forms_.front().get(); }
  // The form of that component name; null when the application has none.
  Form* findForm(std::string_view name) const;
  // Shows the main form before the loop starts (unless a component asked it to start hidden),
  // so that the user sees it while windows that start hidden are still being made. run()
  // shows it otherwise.
  void showMainFormNow();
  void run();
  void processMessages();
  void bringToFront();
  void terminate();  // ends the loop; forms are destroyed, newest first
  bool terminating() const { return terminating_; }
  // False: run() does not show the main form (a component asked to start hidden).
  bool showMainForm = true;

  // Runs a handler; an error it raises goes to onException (or is dropped when unset).
  static void guard(const std::function<void()>& handler);
  std::function<void(std::exception_ptr)> onException;

 private:
  std::string title_;
  std::vector<std::unique_ptr<Form>> forms_;
  bool terminating_ = false;
};

// Application-wide events placed on a form: while it lives, errors that escape any handler go
// to its exception event instead of the default report.
class ApplicationEvents : public Component {
 public:
  explicit ApplicationEvents(Component* owner);
  ~ApplicationEvents() override;
  std::function<void(Component& sender, std::exception_ptr error)> onException;
};

}  // namespace fw
