#include <windows.h>

#include "form1.h"
#include "form2.h"
#include "form3.h"
#include "helpform.h"
#include "cell_grid.h"
#include "fw/application.h"
#include "fw/startup_trace.h"
#include "fw/text.h"
#include "korvan_host.h"
#include "tray_icon.h"
#include "wave_player.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  fw::startup_trace::mark("entry");
  auto& app = fw::Application::instance();
  app.initialize();
  fw::startup_trace::mark("initialized (common controls, OLE, classes)");
  app.setTitle(fw::ansi(u8"Zelvora - Test"));
  grid::registerClasses();
  tray::registerTrayClasses();
  app.createForm<TForm1>(device::createKorvan, std::make_shared<WaveOutPlayer>());
  fw::startup_trace::mark("Form1 created");
  app.showMainFormNow();
  // The guide, settings and help windows: hidden until the main window's menu shows them.
  app.createForm<TForm2>();
  fw::startup_trace::mark("Form2 created");
  app.createForm<TForm3>();
  fw::startup_trace::mark("Form3 created");
  app.createForm<THelpForm>();
  fw::startup_trace::mark("HelpForm created");
  app.run();
  return 0;
}
