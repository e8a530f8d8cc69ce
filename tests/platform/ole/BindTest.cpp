#include "Bind.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {
// Records the callback protocol: each call as a line, and the delivered bytes.
class RecordingCallback final : public ComObject<IBindStatusCallback> {
public:
    std::vector<std::string> log;
    std::vector<uint8_t> data;

    HRESULT OnStartBinding(DWORD, IBinding*) override { return note("start"); }
    HRESULT GetPriority(LONG*) override { return E_NOTIMPL; }
    HRESULT OnLowResource(DWORD) override { return S_OK; }
    HRESULT OnProgress(ULONG progress, ULONG max, ULONG status, LPCOLESTR) override
    {
        return note("progress " + std::to_string(progress) + "/" + std::to_string(max) + " " + std::to_string(status));
    }
    HRESULT OnStopBinding(HRESULT hr, LPCOLESTR) override { return note(hr == S_OK ? "stop ok" : "stop failed"); }
    HRESULT GetBindInfo(DWORD*, BINDINFO*) override { return S_OK; }
    HRESULT OnDataAvailable(DWORD flags, DWORD size, FORMATETC*, STGMEDIUM* medium) override
    {
        EXPECT_EQ(medium->tymed, TYMED_ISTREAM);
        ReadAllFromStream(medium->pstm, data);
        return note("data " + std::to_string(flags & 5) + " " + std::to_string(size));
    }
    HRESULT OnObjectAvailable(REFIID, IUnknown*) override { return S_OK; }

private:
    HRESULT note(std::string line)
    {
        log.push_back(std::move(line));
        return S_OK;
    }
};

std::string tempFile(const std::string& name, const std::string& content)
{
    std::string path = std::string(TOVRANE_BINARY_DIR) + "/" + name;
    std::ofstream(path, std::ios::binary) << content;
    return path;
}
}

TEST(BindContext, CarriesTheBindStatusCallback)
{
    ComPtr<IBindCtx> ctx;
    ASSERT_EQ(CreateBindCtx(0, ctx.put()), S_OK);
    auto first = MakeCom<RecordingCallback>();
    auto second = MakeCom<RecordingCallback>();
    ASSERT_EQ(RegisterBindStatusCallback(ctx.get(), first.get(), nullptr, 0), S_OK);
    ComPtr<IBindStatusCallback> previous;
    ASSERT_EQ(RegisterBindStatusCallback(ctx.get(), second.get(), previous.put(), 0), S_OK);
    EXPECT_EQ(previous.get(), first.get());
    ComPtr<IUnknown> held;
    ASSERT_EQ(ctx->GetObjectParam(u"_BSCB_Holder_", held.put()), S_OK);
    EXPECT_EQ(held.as<IBindStatusCallback>().get(), second.get());
    EXPECT_EQ(RevokeBindStatusCallback(ctx.get(), first.get()), E_FAIL);
    EXPECT_EQ(RevokeBindStatusCallback(ctx.get(), second.get()), S_OK);
    EXPECT_EQ(ctx->GetObjectParam(u"_BSCB_Holder_", held.put()), E_FAIL);
    EXPECT_FALSE(held);
}

TEST(UrlFetch, LocalFileIsDeliveredInOneNotification)
{
    std::string path = tempFile("ole_fetch.swf", "FWS\x0a-bytes");
    for (std::string url : {path, "file://" + path}) {
        auto cb = MakeCom<RecordingCallback>();
        ASSERT_EQ(URLOpenPullStreamA(nullptr, url.c_str(), 0, cb.get()), S_OK) << url;
        std::vector<std::string> expected{"start", "progress 0/10 4", "progress 10/10 6", "data 5 10", "stop ok"};
        EXPECT_EQ(cb->log, expected);
        EXPECT_EQ(std::string(cb->data.begin(), cb->data.end()), "FWS\x0a-bytes");
    }
    std::remove(path.c_str());
}

TEST(UrlFetch, UnreachableUrlsFailAfterTellingTheCallback)
{
    for (const char* url : {"http://example.invalid/a.swf", "/no/such/file.swf", ""}) {
        auto cb = MakeCom<RecordingCallback>();
        EXPECT_EQ(URLOpenPullStreamA(nullptr, url, 0, cb.get()), INET_E_RESOURCE_NOT_FOUND) << url;
        EXPECT_EQ(cb->log, (std::vector<std::string>{"start", "stop failed"}));
    }
    EXPECT_EQ(URLOpenPullStreamA(nullptr, "x", 0, nullptr), E_INVALIDARG);
}

TEST(UrlFetch, LocalPathFromUrl)
{
    const std::pair<const char*, const char*> cases[] = {
        {"file:///tmp/a%20b.swf", "/tmp/a b.swf"},
        {"file://localhost/tmp/a.swf", "/tmp/a.swf"},
        {"file:///tmp/a.swf?x=1", "/tmp/a.swf"},
        {"movies/a.swf", "movies/a.swf"},
        {"C:/m/a.swf", "C:/m/a.swf"},
        {"http://host/a.swf", ""},
        {"ftp://host/a.swf", ""},
    };
    for (auto [url, path] : cases)
        EXPECT_EQ(LocalPathFromUrl(url), path) << url;
}
