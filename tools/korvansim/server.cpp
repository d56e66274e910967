// korvansimsrv.exe: the simulated control served out of process, as a local server. The control
// is the DLL's own (loaded from beside this program); its type library, a resource of this
// program, is registered with it so that COM marshals the dual interface and the events.
//   korvansimsrv /RegServer     registers the local server and the type library
//   korvansimsrv /UnregServer   removes both
//   korvansimsrv [-Embedding]   serves until the last control it made is gone
#include <ole2.h>
#include <windows.h>
#include <wrl/client.h>

#include <cwchar>
#include <string>

#include "fw/win32/handles.h"
#include "korvan_abi.h"

namespace {

using Microsoft::WRL::ComPtr;

// The type library's identifier (korvan.idl).
constexpr GUID kLibraryId = {0x3C0F2B7E, 0x5D1A, 0x4C8B, {0xA6, 0xE2, 0x7F, 0x4D, 0x9B, 0x1C, 0x0E, 0x35}};
// Nobody asked for a control: the server was started by hand or its client went away first.
constexpr DWORD kIdleLimitMs = 60000;
constexpr UINT kCheckIntervalMs = 250;

std::wstring programPath() {
  wchar_t path[MAX_PATH];
  const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  return n == 0 || n >= MAX_PATH ? std::wstring() : std::wstring(path, n);
}

std::wstring besideProgram(const wchar_t* name) {
  std::wstring path = programPath();
  return path.substr(0, path.find_last_of(L'\\') + 1) + name;
}

std::wstring serverKeyPath(const wchar_t* root) {
  wchar_t classId[40];
  StringFromGUID2(korvan::kClassId, classId, 40);
  return std::wstring(root) + classId + L"\\LocalServer32";
}

// The machine-wide class root first, the user's own second, as the DLL registers itself.
struct Root {
  HKEY key;
  const wchar_t* classes;
};
const Root kRoots[] = {{HKEY_CLASSES_ROOT, L"CLSID\\"}, {HKEY_CURRENT_USER, L"Software\\Classes\\CLSID\\"}};

int registerServer() {
  ComPtr<ITypeLib> library;
  if (FAILED(LoadTypeLibEx(programPath().c_str(), REGKIND_REGISTER, library.GetAddressOf()))) return 1;
  const std::wstring command = L"\"" + programPath() + L"\"";
  for (const Root& root : kRoots) {
    fw::win32::UniqueRegistryKey key;
    if (fw::win32::createKeyForWriting(root.key, serverKeyPath(root.classes).c_str(), key) != ERROR_SUCCESS) continue;
    const LSTATUS written = RegSetValueExW(key.get(), nullptr, 0, REG_SZ,
                                           reinterpret_cast<const BYTE*>(command.c_str()),
                                           static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
    if (written == ERROR_SUCCESS) return 0;
  }
  return 1;
}

int unregisterServer() {
  for (const Root& root : kRoots) RegDeleteTreeW(root.key, serverKeyPath(root.classes).c_str());
  UnRegisterTypeLib(kLibraryId, 1, 0, LANG_NEUTRAL, SYS_WIN32);
  return 0;
}

using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
using ObjectCount = LONG(WINAPI*)();

int serve() {
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
  int exitCode = 1;
  HMODULE dll = LoadLibraryW(besideProgram(L"korvansim.dll").c_str());
  const auto getClassObject =
      dll ? reinterpret_cast<GetClassObject>(reinterpret_cast<void*>(GetProcAddress(dll, "DllGetClassObject"))) : nullptr;
  const auto objectCount =
      dll ? reinterpret_cast<ObjectCount>(reinterpret_cast<void*>(GetProcAddress(dll, "KorvanSimObjectCount"))) : nullptr;
  ComPtr<IClassFactory> factory;
  DWORD cookie = 0;
  if (getClassObject && objectCount &&
      SUCCEEDED(getClassObject(korvan::kClassId, IID_IClassFactory, reinterpret_cast<void**>(factory.GetAddressOf()))) &&
      SUCCEEDED(CoRegisterClassObject(korvan::kClassId, factory.Get(), CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE,
                                      &cookie))) {
    exitCode = 0;
    // The control's window and timers need this thread's messages; the check runs between them.
    const UINT_PTR timer = SetTimer(nullptr, 0, kCheckIntervalMs, nullptr);
    const DWORD started = GetTickCount();
    bool served = false;
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
      if (message.message == WM_TIMER && !message.hwnd && message.wParam == timer) {
        if (objectCount() > 0) served = true;
        if ((served && objectCount() == 0) || (!served && GetTickCount() - started > kIdleLimitMs)) break;
        continue;
      }
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    KillTimer(nullptr, timer);
    CoRevokeClassObject(cookie);
  }
  factory.Reset();
  CoUninitialize();
  if (dll) FreeLibrary(dll);
  return exitCode;
}

bool isSwitch(const wchar_t* argument, const wchar_t* name) {
  return (argument[0] == L'/' || argument[0] == L'-') && _wcsicmp(argument + 1, name) == 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc > 1 && isSwitch(argv[1], L"RegServer")) return registerServer();
  if (argc > 1 && isSwitch(argv[1], L"UnregServer")) return unregisterServer();
  return serve();
}
