// What decoding and encoding with the Windows Imaging Component share: owning a COM reference,
// and the imaging factory on a thread with COM started.
#pragma once

#define WIN32_LEAN_AND_MEAN
// windows.h must come before the others.
// clang-format off
#include <windows.h>
#include <objidl.h>
#include <wincodec.h>
// clang-format on

namespace orbskin::picture {

// Owns one reference to a COM object.
template <typename T>
class Com {
  public:
    Com() = default;
    ~Com() {
        if (p_) p_->Release();
    }
    Com(const Com&) = delete;
    Com& operator=(const Com&) = delete;
    T** out() { return &p_; }
    T* operator->() const { return p_; }
    T* get() const { return p_; }

  private:
    T* p_ = nullptr;
};

// Starts COM on this thread if needed and makes the imaging factory; the failure's HRESULT
// otherwise, which the caller words for its own operation.
inline HRESULT create_imaging_factory(Com<IWICImagingFactory>& factory) {
    // S_OK and S_FALSE mean COM is ready; so does another mode chosen earlier on this thread.
    const HRESULT started = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (FAILED(started) && started != RPC_E_CHANGED_MODE) return started;
    return CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                            IID_PPV_ARGS(factory.out()));
}

}  // namespace orbskin::picture
