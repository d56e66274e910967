#include <windows.h>

#include "form1.h"
#include "form2.h"
#include "form3.h"
#include "helpform.h"
#include "cell_grid.h"
#include "fw/application.h"
#include "fw/text.h"
#include "tray_icon.h"
#include "wave_player.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  auto& app = fw::Application::instance();
  app.initialize();
  app.setTitle(fw::ansi(u8"Zelvora - Test"));
  grid::registerClasses();
  tray::registerTrayClasses();
  app.createForm<TForm1>(device::createKorvan, std::make_shared<WaveOutPlayer>());
  // The guide, settings and help windows: hidden until the main window's menu shows them.
  app.createForm<TForm2>();
  app.createForm<TForm3>();
  app.createForm<THelpForm>();
  app.run();
  return 0;
}
