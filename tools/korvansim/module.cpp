// The in-process server's entry points: class object, unload check and self-registration.
#include "module.h"

#include <ole2.h>
#include <olectl.h>

#include <atomic>
#include <iterator>
#include <string>

#include "control.h"
#include "fw/win32/handles.h"
#include "korvan_abi.h"

namespace korvansim {
namespace {

HINSTANCE instance = nullptr;
std::atomic<long> liveObjects{0};
std::atomic<long> serverLocks{0};

constexpr wchar_t kClassDescription[] = L"Korvan caller-ID control (simulated)";

// One per process and never deleted: its references only keep the server loaded.
class ClassFactory final : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (!object) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IClassFactory) {
      *object = static_cast<IClassFactory*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++serverLocks); }
  ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--serverLocks); }

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override {
    if (object) *object = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    return Control::create(riid, object);
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    lock ? ++serverLocks : --serverLocks;
    return S_OK;
  }
};

ClassFactory factory;

// The machine-wide class root first, as regsvr32 in an administrator's prompt does; a user who
// is not one still gets a registration of their own, which COM on Windows honours too.
struct RegistrationRoot {
  HKEY key;
  const wchar_t* classesPath;
};
const RegistrationRoot kRoots[] = {
    {HKEY_CLASSES_ROOT, L"CLSID\\"},
    {HKEY_CURRENT_USER, L"Software\\Classes\\CLSID\\"},
};

std::wstring classKeyPath(const RegistrationRoot& root) {
  wchar_t classId[40];
  StringFromGUID2(korvan::kClassId, classId, static_cast<int>(std::size(classId)));
  return root.classesPath + std::wstring(classId);
}

std::wstring modulePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(instance, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

LSTATUS setText(HKEY key, const wchar_t* name, const std::wstring& value) {
  return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

LSTATUS writeRegistration(const RegistrationRoot& root, const std::wstring& path) {
  fw::win32::UniqueRegistryKey classKey;
  fw::win32::UniqueRegistryKey serverKey;
  LSTATUS status = fw::win32::createKeyForWriting(root.key, classKeyPath(root).c_str(), classKey);
  if (status == ERROR_SUCCESS) status = setText(classKey.get(), nullptr, kClassDescription);
  if (status == ERROR_SUCCESS) status = fw::win32::createKeyForWriting(classKey.get(), L"InprocServer32", serverKey);
  if (status == ERROR_SUCCESS) status = setText(serverKey.get(), nullptr, path);
  if (status == ERROR_SUCCESS) status = setText(serverKey.get(), L"ThreadingModel", L"Apartment");
  return status;
}

}  // namespace

HINSTANCE moduleInstance() { return instance; }
void objectCreated() { ++liveObjects; }
void objectDestroyed() { --liveObjects; }

}  // namespace korvansim

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    korvansim::instance = instance;
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

STDAPI DllGetClassObject(REFCLSID classId, REFIID riid, LPVOID* object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (classId != korvan::kClassId) return CLASS_E_CLASSNOTAVAILABLE;
  return korvansim::factory.QueryInterface(riid, object);
}

// For the local server (korvansimsrv.exe), which ends once the last control it served is gone.
extern "C" LONG WINAPI KorvanSimObjectCount() { return korvansim::liveObjects; }

STDAPI DllCanUnloadNow() {
  return korvansim::liveObjects == 0 && korvansim::serverLocks == 0 ? S_OK : S_FALSE;
}

STDAPI DllRegisterServer() {
  const std::wstring path = korvansim::modulePath();
  if (path.empty()) return SELFREG_E_CLASS;
  for (const auto& root : korvansim::kRoots) {
    if (korvansim::writeRegistration(root, path) == ERROR_SUCCESS) return S_OK;
    RegDeleteTreeW(root.key, korvansim::classKeyPath(root).c_str());  // nothing half-written
  }
  return SELFREG_E_CLASS;
}

STDAPI DllUnregisterServer() {
  HRESULT result = S_OK;
  for (const auto& root : korvansim::kRoots) {
    const LSTATUS status = RegDeleteTreeW(root.key, korvansim::classKeyPath(root).c_str());
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) result = SELFREG_E_CLASS;
  }
  return result;
}

}  // extern "C"
