// The control's event source: one connection point, its sinks, and the raising of an event.
#include "control.h"

#include <olectl.h>

#include <algorithm>

namespace korvansim {
namespace {

// The BSTR variants of one event, freed however the raising ends.
class EventArguments {
 public:
  // COM passes arguments last first.
  explicit EventArguments(std::span<const std::wstring> declaredOrder) : variants_(declaredOrder.size()) {
    for (std::size_t i = 0; i < declaredOrder.size(); ++i) {
      VARIANT& variant = variants_[declaredOrder.size() - 1 - i];
      VariantInit(&variant);
      const auto& text = declaredOrder[i];
      variant.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
      if (!variant.bstrVal) {
        complete_ = false;
        continue;
      }
      variant.vt = VT_BSTR;
    }
  }
  ~EventArguments() {
    for (auto& variant : variants_) VariantClear(&variant);
  }
  EventArguments(const EventArguments&) = delete;
  EventArguments& operator=(const EventArguments&) = delete;

  bool complete() const { return complete_; }
  DISPPARAMS parameters() {
    return {variants_.data(), nullptr, static_cast<UINT>(variants_.size()), 0};
  }

 private:
  std::vector<VARIANT> variants_;
  bool complete_ = true;
};

}  // namespace

HRESULT Control::FindConnectionPoint(REFIID riid, IConnectionPoint** point) {
  if (!point) return E_POINTER;
  *point = nullptr;
  if (riid != korvan::kEventsId) return CONNECT_E_NOCONNECTION;
  *point = &events_;
  events_.AddRef();
  return S_OK;
}

HRESULT Control::EventPoint::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IConnectionPoint) {
    *object = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

HRESULT Control::EventPoint::GetConnectionInterface(IID* iid) {
  if (!iid) return E_POINTER;
  *iid = korvan::kEventsId;
  return S_OK;
}

HRESULT Control::EventPoint::GetConnectionPointContainer(IConnectionPointContainer** container) {
  if (!container) return E_POINTER;
  *container = &owner_;
  owner_.AddRef();
  return S_OK;
}

HRESULT Control::EventPoint::Advise(IUnknown* sink, DWORD* cookie) {
  if (!sink || !cookie) return E_POINTER;
  *cookie = 0;
  ComPtr<IDispatch> dispatch;
  // A sink usually answers for the event interface; a generic one only for IDispatch.
  if (FAILED(sink->QueryInterface(korvan::kEventsId, reinterpret_cast<void**>(dispatch.GetAddressOf()))) &&
      FAILED(sink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(dispatch.ReleaseAndGetAddressOf())))) {
    return CONNECT_E_CANNOTCONNECT;
  }
  if (!dispatch) return CONNECT_E_CANNOTCONNECT;
  *cookie = nextCookie_++;
  sinks_.emplace_back(*cookie, std::move(dispatch));
  owner_.raiseEarlyEvents(L"advise");
  return S_OK;
}

HRESULT Control::EventPoint::Unadvise(DWORD cookie) {
  const auto found = std::find_if(sinks_.begin(), sinks_.end(), [&](const auto& sink) { return sink.first == cookie; });
  if (found == sinks_.end()) return CONNECT_E_NOCONNECTION;
  sinks_.erase(found);
  return S_OK;
}

void Control::EventPoint::fire(DISPID event, std::span<const std::wstring> arguments) {
  if (sinks_.empty()) return;
  // A copy, because a sink may unadvise (itself or another) while it handles the event.
  std::vector<ComPtr<IDispatch>> sinks;
  for (const auto& entry : sinks_) sinks.push_back(entry.second);
  if (worker_) {
    worker_->post({event, {arguments.begin(), arguments.end()}, std::move(sinks)});
    return;
  }
  invokeSinks(event, arguments, sinks);
}

void invokeSinks(DISPID event, std::span<const std::wstring> arguments, std::span<const ComPtr<IDispatch>> sinks) {
  EventArguments variants(arguments);
  if (!variants.complete()) return;  // out of memory: better no event than a wrong one
  for (const auto& sink : sinks) {
    DISPPARAMS parameters = variants.parameters();
    sink->Invoke(event, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &parameters, nullptr, nullptr, nullptr);
  }
}

// ---- the worker thread of the strict switch `worker` ----

EventWorker::EventWorker() : thread_([this] { run(); }) {}

EventWorker::~EventWorker() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_one();
  thread_.join();
}

void EventWorker::post(Job job) {
  {
    std::lock_guard lock(mutex_);
    jobs_.push_back(std::move(job));
  }
  wake_.notify_one();
}

void EventWorker::run() {
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [&] { return stopping_ || !jobs_.empty(); });
    if (jobs_.empty()) return;  // stopping, and everything raised
    Job job = std::move(jobs_.front());
    jobs_.pop_front();
    lock.unlock();
    invokeSinks(job.event, job.arguments, job.sinks);
    job.sinks.clear();  // let go of the sinks here, not under the lock
    lock.lock();
  }
}

}  // namespace korvansim
