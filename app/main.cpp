#include <windows.h>

#include "form1.h"
#include "fw/application.h"
#include "fw/text.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  auto& app = fw::Application::instance();
  app.initialize();
  app.setTitle(fw::ansi(u8"Zelvora - Test"));
  app.createForm<TForm1>(device::createKorvan);
  app.run();
  return 0;
}
