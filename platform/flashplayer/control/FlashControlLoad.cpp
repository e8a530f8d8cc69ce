// Loading movies: through the host's bind service when it offers one, by our own
// local fetch otherwise, and what happens when the bytes are complete.
#include "FlashControl.h"

#include "MovieDownload.h"
#include "WideString.h"

#include "Scheduler.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace flashcontrol {
namespace {
// FlashVars are URL-encoded "name=value&name=value" pairs.
std::string urlDecode(const std::string& s)
{
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        char c = s[i];
        if (c == '+') {
            out.push_back(' ');
        } else if (c == '%' && i + 2 < s.size() && std::isxdigit(uint8_t(s[i + 1])) && std::isxdigit(uint8_t(s[i + 2]))) {
            out.push_back(char(std::stoi(s.substr(i + 1, 2), nullptr, 16)));
            i += 2;
        } else {
            out.push_back(c);
        }
    }
    return out;
}

// "_level3" names layer 3; anything else is not a layer.
int layerOfTarget(const std::string& target)
{
    const std::string prefix = "_level";
    if (target.rfind(prefix, 0) != 0 || target.size() == prefix.size() || target.size() > prefix.size() + 4)
        return -1;
    int layer = 0;
    for (size_t i = prefix.size(); i < target.size(); ++i) {
        if (target[i] < '0' || target[i] > '9')
            return -1;
        layer = layer * 10 + (target[i] - '0');
    }
    return layer;
}
}

HRESULT FlashControl::LoadMovie(INT layer, BSTR url)
{
    return startLoad(layer, url.str());
}

HRESULT FlashControl::startLoad(int layer, const std::u16string& url)
{
    if (layer < 0)
        return E_INVALIDARG;
    auto download = MakeCom<MovieDownload>(this, layer, url);
    if (layer == 0) {
        // A new root movie replaces the old one at once, whether or not it arrives.
        m_state.movie = url;
        m_dirty = true;
        if (m_rootDownload) {
            MovieDownload* old = m_rootDownload;
            old->detach();
            std::erase_if(m_downloads, [old](const ComPtr<MovieDownload>& d) { return d.get() == old; });
        }
        m_rootDownload = download.get();
        m_engine->unload();
        m_percentLoaded = 0;
        setReadyState(EngineReadyState::Loading);
        requestRepaint();
    }
    m_downloads.push_back(download);
    if (url.empty()) {
        download->fail();
        return S_OK;
    }
    if (!bindThroughHost(download, url)) {
        // No bind service: read local files ourselves; other URLs fail quietly.
        URLOpenPullStreamA(nullptr, WideToUtf8(url).c_str(), 0, download.get());
    }
    return S_OK;
}

bool FlashControl::bindThroughHost(const ComPtr<MovieDownload>& download, const std::u16string& url)
{
    auto services = m_clientSite.as<IServiceProvider>();
    if (!services)
        return false;
    ComPtr<IBindHost> bindHost;
    if (FAILED(services->QueryService(SID_SBindHost, IID_IBindHost, bindHost.putVoid())) || !bindHost)
        return false;
    ComPtr<IBindCtx> context;
    if (FAILED(CreateBindCtx(0, context.put())))
        return false;
    RegisterBindStatusCallback(context.get(), download.get(), nullptr, 0);
    std::u16string name = url;
    ComPtr<IMoniker> moniker;
    HRESULT hr = bindHost->CreateMoniker(name.data(), context.get(), moniker.put(), 0);
    if (hr == E_NOTIMPL)
        return false;  // the host leaves this URL to us
    if (FAILED(hr) || !moniker) {
        download->fail();
        return true;
    }
    ComPtr<IUnknown> unused;
    hr = moniker->BindToStorage(context.get(), nullptr, IID_IStream, unused.putVoid());
    // The data may have arrived inside the call, or may come later through the
    // callback; a failed bind that delivered nothing ends the download.
    if (FAILED(hr))
        download->fail();
    return true;
}

std::optional<std::vector<uint8_t>> FlashControl::fetchMedia(const std::string& url, size_t maxBytes)
{
    // The movie's own loads go the way the movie came: the host's bind service, else
    // local files. Binds that would deliver later are not waited for.
    const std::u16string wide = Utf8ToWide(url);
    auto download = MovieDownload::collector(wide);
    if (!bindThroughHost(download, wide))
        URLOpenPullStreamA(nullptr, url.c_str(), 0, download.get());
    if (!download->succeeded())
        return std::nullopt;
    std::vector<uint8_t> bytes = download->takeBytes();
    if (bytes.size() > maxBytes)
        return std::nullopt;
    return bytes;
}

void FlashControl::downloadProgress(MovieDownload* download, uint64_t received, uint64_t total)
{
    if (download != m_rootDownload || total == 0)
        return;
    // Hosts report progress in their own units as well as in bytes: never go back.
    int percent = int(std::min<uint64_t>(100, received * 100 / total));
    if (percent <= m_percentLoaded)
        return;
    m_percentLoaded = percent;
    fireEvent(flashdispid::OnProgress, {VariantFromInt32(percent)});
}

void FlashControl::downloadFinished(MovieDownload* download, bool ok, const std::vector<uint8_t>& bytes)
{
    ComPtr<MovieDownload> keep(download);
    std::erase_if(m_downloads, [download](const ComPtr<MovieDownload>& d) { return d.get() == download; });
    // The engine has one timeline: a movie for another layer is fetched (the host
    // sees the request) but not shown.
    if (download->layer() != 0 || download != m_rootDownload)
        return;
    m_rootDownload = nullptr;
    // The engine may report its first picture while loading; the host would draw a
    // half-made movie inside that call, so ask once, after it.
    m_loadingEngine = true;
    bool loaded = ok && m_engine->load(bytes, WideToUtf8(download->url()));
    m_loadingEngine = false;
    if (loaded) {
        applyStateToEngine();
        applyFlashVars();
        if (m_percentLoaded != 100) {
            m_percentLoaded = 100;
            fireEvent(flashdispid::OnProgress, {VariantFromInt32(100)});
        }
        setReadyState(EngineReadyState::Interactive);
    }
    setReadyState(EngineReadyState::Complete);
    requestRepaint();
}

void FlashControl::setReadyState(EngineReadyState state)
{
    if (state == m_readyState)
        return;
    m_readyState = state;
    fireEvent(flashdispid::OnReadyStateChange, {VariantFromInt32(int32_t(state))});
}

void FlashControl::applyFlashVars()
{
    std::string vars = WideToUtf8(m_state.flashVars);
    size_t start = 0;
    while (start < vars.size()) {
        size_t end = vars.find('&', start);
        if (end == std::string::npos)
            end = vars.size();
        std::string pair = vars.substr(start, end - start);
        size_t eq = pair.find('=');
        if (eq != std::string::npos && eq > 0)
            m_engine->setVariable("_root." + urlDecode(pair.substr(0, eq)), urlDecode(pair.substr(eq + 1)));
        start = end + 1;
    }
}

void FlashControl::openUrl(const std::string& url, const std::string& target)
{
    int layer = layerOfTarget(target);
    if (layer < 0)
        return;  // no browser to open other targets in
    // Loading replaces the engine's movie, which is running the script that asked:
    // do it from the message loop, after the engine's call has returned.
    ComPtr<IUnknown> self(identity());
    std::u16string wide = Utf8ToWide(url);
    Scheduler::Current().Post([self, this, layer, wide] { startLoad(layer, wide); });
}

}  // namespace flashcontrol
