#include "wave_player.h"

#include <windows.h>
#include <mmsystem.h>

#include <utility>

#include "fw/win32/handles.h"

namespace {

struct WaveOutTraits {
  static HWAVEOUT invalid() { return nullptr; }
  static void close(HWAVEOUT h) { waveOutClose(h); }
};
// The device is closed on every path out of play().
using UniqueWaveOut = fw::win32::UniqueHandle<HWAVEOUT, WaveOutTraits>;

// A buffer handed to the device. The samples must outlive it: it does not let go of them
// before the device has given the buffer back.
class QueuedBuffer {
 public:
  QueuedBuffer(HWAVEOUT device, const TWaveformSamples& samples) : device_(device) {
    header_.lpData = reinterpret_cast<LPSTR>(const_cast<std::int32_t*>(samples.data()));
    header_.dwBufferLength = static_cast<DWORD>(samples.size() * toneformat::BlockAlign);
    // A failure of either shows as a buffer that is not playing when we unprepare it.
    waveOutPrepareHeader(device_, &header_, sizeof header_);
    waveOutWrite(device_, &header_, sizeof header_);
  }
  ~QueuedBuffer() { waitUntilPlayed(); }
  QueuedBuffer(const QueuedBuffer&) = delete;
  QueuedBuffer& operator=(const QueuedBuffer&) = delete;

  void waitUntilPlayed() {
    if (done_) return;
    // A device that stalls far past the tone's end is told to give the buffer back, so the
    // tone mutex is not held for ever and the samples are not freed under the device.
    const ULONGLONG deadline = GetTickCount64() + lengthMs() + StallMs;
    Sleep(5);
    while (waveOutUnprepareHeader(device_, &header_, sizeof header_) == WAVERR_STILLPLAYING) {
      if (GetTickCount64() > deadline) waveOutReset(device_);
      Sleep(1);
    }
    done_ = true;
  }

 private:
  static constexpr ULONGLONG StallMs = 2000;
  ULONGLONG lengthMs() const { return ULONGLONG{header_.dwBufferLength} * 1000 / toneformat::AvgBytesPerSec; }

  HWAVEOUT device_;
  WAVEHDR header_{};
  bool done_ = false;
};

}  // namespace

void WaveOutPlayer::play(const TWaveformSamples& samples) {
  if (samples.empty()) return;
  WAVEFORMATEX format{};
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = toneformat::Channels;
  format.nSamplesPerSec = toneformat::SamplesPerSec;
  format.wBitsPerSample = toneformat::BitsPerSample;
  format.nBlockAlign = toneformat::BlockAlign;
  format.nAvgBytesPerSec = toneformat::AvgBytesPerSec;
  format.cbSize = 0;
  HWAVEOUT handle = nullptr;
  if (waveOutOpen(&handle, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) return;
  const UniqueWaveOut device(handle);
  QueuedBuffer buffer(device.get(), samples);
  buffer.waitUntilPlayed();
}
