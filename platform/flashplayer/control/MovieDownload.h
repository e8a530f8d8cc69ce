// One fetch of a movie: the bind-status callback the control hands to its host's bind
// service (or to the local fetch). It gathers the bytes and tells the control when
// they are complete. The host may keep it after the control is gone, so the control
// detaches it then.
#pragma once

#include "Bind.h"

#include <string>
#include <vector>

namespace flashcontrol {

class FlashControl;

class MovieDownload final : public ComObject<IBindStatusCallback> {
public:
    // Movies larger than this are refused rather than gathered.
    static constexpr uint64_t kMaxMovieBytes = 256u << 20;

    MovieDownload(FlashControl* owner, int layer, std::u16string url);
    // A fetch for the movie's own loads: no owner is told, the bytes stay here.
    static ComPtr<MovieDownload> collector(std::u16string url)
    {
        auto d = MakeCom<MovieDownload>(nullptr, -1, std::move(url));
        d->m_collecting = true;
        return d;
    }
    bool succeeded() const { return m_finished && m_succeeded; }
    std::vector<uint8_t> takeBytes() { return std::move(m_bytes); }

    int layer() const { return m_layer; }
    const std::u16string& url() const { return m_url; }
    bool finished() const { return m_finished; }
    void detach() { m_owner = nullptr; }
    // The bind could not even start: finish as a failure.
    void fail();

    HRESULT OnStartBinding(DWORD reserved, IBinding* binding) override;
    HRESULT GetPriority(LONG* priority) override;
    HRESULT OnLowResource(DWORD reserved) override;
    HRESULT OnProgress(ULONG progress, ULONG progressMax, ULONG status, LPCOLESTR text) override;
    HRESULT OnStopBinding(HRESULT result, LPCOLESTR error) override;
    HRESULT GetBindInfo(DWORD* bindf, BINDINFO* info) override;
    HRESULT OnDataAvailable(DWORD flags, DWORD size, FORMATETC* format, STGMEDIUM* medium) override;
    HRESULT OnObjectAvailable(REFIID riid, IUnknown* object) override;

private:
    void finish(bool ok);

    FlashControl* m_owner;
    int m_layer;
    std::u16string m_url;
    std::vector<uint8_t> m_bytes;
    uint64_t m_expected = 0;
    bool m_finished = false;
    bool m_succeeded = false;
    bool m_collecting = false;
};

}  // namespace flashcontrol
