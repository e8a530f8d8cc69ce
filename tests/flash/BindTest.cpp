#include "HostFixture.h"

#include "Exceptions.h"
#include "Stream.h"
#include "WideString.h"
#include "sf_flashlist.h"
#include "sf_resources.h"

#include <filesystem>
#include <fstream>

namespace {

// Receives what a bind serves.
class Receiver final : public ComObject<IBindStatusCallback> {
public:
    std::vector<std::string> calls;
    std::vector<uint8_t> data;
    HRESULT OnStartBinding(DWORD, IBinding*) override { return note("start"); }
    HRESULT GetPriority(LONG*) override { return E_NOTIMPL; }
    HRESULT OnLowResource(DWORD) override { return S_OK; }
    HRESULT OnProgress(ULONG, ULONG, ULONG status, LPCOLESTR) override { return note("progress " + std::to_string(status)); }
    HRESULT OnStopBinding(HRESULT hr, LPCOLESTR) override { return note("stop " + std::to_string(hr)); }
    HRESULT GetBindInfo(DWORD*, BINDINFO*) override { return S_OK; }
    HRESULT OnDataAvailable(DWORD flags, DWORD size, FORMATETC*, STGMEDIUM* medium) override
    {
        data.resize(size);
        ULONG got = 0;
        if (size)
            medium->pstm->Read(data.data(), size, &got);
        data.resize(got);
        return note("data " + std::to_string(flags));
    }
    HRESULT OnObjectAvailable(REFIID, IUnknown*) override { return S_OK; }

private:
    HRESULT note(const std::string& s)
    {
        calls.push_back(s);
        return S_OK;
    }
};

struct BindTest : HostFixture {
    std::unique_ptr<TsfFlashPlayer> player = makePlayer();
    ComPtr<IBindHost> host = QueryAs<IBindHost>(player->SiteUnknown());

    HRESULT create(const std::u16string& name)
    {
        ComPtr<IMoniker> moniker;
        std::u16string copy = name;
        return host->CreateMoniker(copy.data(), nullptr, moniker.put(), 0);
    }
    // Binds the moniker the last CreateMoniker gave; the served bytes land in receiver.
    HRESULT bind(Receiver& receiver)
    {
        ComPtr<IBindCtx> ctx;
        CreateBindCtx(0, ctx.put());
        RegisterBindStatusCallback(ctx.get(), &receiver, nullptr, 0);
        HRESULT hr = QueryAs<IMoniker>(player->SiteUnknown())->BindToStorage(ctx.get(), nullptr, IID_IStream, nullptr);
        RevokeBindStatusCallback(ctx.get(), &receiver);
        return hr;
    }
    std::string pending() { return WideToUtf8(player->PendingSource); }
};

} // namespace

TEST_F(BindTest, ResourcesByNameWithoutExtension)
{
    sf_resources::Register("CLEAROVERALL", {'F', 'W', 'S'});
    EXPECT_EQ(create(u"./clearoverall.swf"), S_OK);
    EXPECT_EQ(pending(), "<res>clearoverall.swf");
    auto receiver = MakeCom<Receiver>();
    EXPECT_EQ(bind(*receiver), S_OK);
    EXPECT_EQ(receiver->data, (std::vector<uint8_t>{'F', 'W', 'S'}));
    EXPECT_EQ(receiver->calls, (std::vector<std::string>{"start", "progress 6", "data 5", "stop 0"}));
    EXPECT_EQ(pending(), "");
}

TEST_F(BindTest, UnknownExtensionsAreLeftToTheControl)
{
    ComPtr<IMoniker> moniker;
    std::u16string name = u"movie.SWF";  // the extension test is case-sensitive
    EXPECT_EQ(host->CreateMoniker(name.data(), nullptr, moniker.put(), 0), E_NOTIMPL);
    EXPECT_FALSE(moniker);
    EXPECT_EQ(create(u"http://example.invalid/page.html"), E_NOTIMPL);
}

TEST_F(BindTest, ListEntriesMatchDecodedLoweredNames)
{
    TsfFlashList list;
    TsfFlashStream& item = list.Flashs().Add();
    item.StoreName = "Intro.swf";
    item.Stream().WriteBuffer("FWS!", 4);
    TsfFlashStream& empty = list.Flashs().Add();
    EXPECT_EQ(empty.FlashStore(), "(empty)");
    player->SetFlashList(&list);

    EXPECT_EQ(create(u"intro.swf?x=1"), S_OK);
    EXPECT_EQ(pending(), "<list>intro.swf");
    auto receiver = MakeCom<Receiver>();
    EXPECT_EQ(bind(*receiver), S_OK);
    EXPECT_EQ(receiver->data.size(), 4u);

    // An entry that disappeared by bind time fails.
    create(u"intro.swf");
    player->SetFlashList(nullptr);
    auto late = MakeCom<Receiver>();
    EXPECT_EQ(bind(*late), E_FAIL);
    EXPECT_TRUE(late->calls.empty());
}

TEST_F(BindTest, PrefixedAbsolutePathsMustExist)
{
    namespace fs = std::filesystem;
    fs::path file = fs::temp_directory_path() / ("tovrane-bind-" + std::to_string(::getpid()) + ".swf");
    { std::ofstream(file) << "FWS"; }
    EXPECT_EQ(create(HostUrlPrefix + Utf8ToWide(file.string())), S_OK);
    EXPECT_EQ(pending(), file.string());
    auto receiver = MakeCom<Receiver>();
    EXPECT_EQ(bind(*receiver), S_OK);
    EXPECT_EQ(receiver->data, (std::vector<uint8_t>{'F', 'W', 'S'}));
    fs::remove(file);

    EXPECT_EQ(create(HostUrlPrefix + Utf8ToWide(file.string())), S_OK);  // gone now
    EXPECT_EQ(pending(), "");
    EXPECT_EQ(bind(*receiver), E_FAIL);
    EXPECT_EQ(create(HostUrlPrefix + u"C:/m/a.swf"), S_OK);  // a drive path naming no file
    EXPECT_EQ(pending(), "");
}

TEST_F(BindTest, StreamTokensServeFromTheStart)
{
    TMemoryStream stream(std::vector<uint8_t>{'C', 'W', 'S', 9});
    player->LoadMovieFromStream(0, stream);
    std::u16string url = control->loadedUrls.back();
    stream.SetPosition(2);
    EXPECT_EQ(create(url), S_OK);
    std::string p = pending();
    EXPECT_EQ(p.substr(0, 8), "<stream>");
    EXPECT_EQ(p.size(), 8u + 8u + 4u);
    auto receiver = MakeCom<Receiver>();
    EXPECT_EQ(bind(*receiver), S_OK);
    EXPECT_EQ(receiver->data, (std::vector<uint8_t>{'C', 'W', 'S', 9}));

    // A token this host never issued names nothing.
    EXPECT_EQ(create(HostUrlPrefix + u"<stream>DEADBEEF.swf"), S_OK);
    EXPECT_EQ(bind(*receiver), E_FAIL);
}

TEST_F(BindTest, NoCallbackNoBind)
{
    create(u"a.swf");
    EXPECT_EQ(QueryAs<IMoniker>(player->SiteUnknown())->BindToStorage(nullptr, nullptr, IID_IStream, nullptr), E_FAIL);
    ComPtr<IBindCtx> ctx;
    CreateBindCtx(0, ctx.put());
    EXPECT_EQ(QueryAs<IMoniker>(player->SiteUnknown())->BindToStorage(ctx.get(), nullptr, IID_IStream, nullptr), E_FAIL);
}

TEST(FlashStreamRecordTest, RecordsRoundTripAndMarkerTwoReadsAsData)
{
    TsfFlashStream item;
    item.StoreName = "a.swf";
    item.Stream().WriteBuffer("xyz", 3);
    TMemoryStream out;
    item.WriteRecord(out);
    std::vector<uint8_t> bytes = out.Bytes();
    EXPECT_EQ(bytes, (std::vector<uint8_t>{3, 5, 0, 0, 0, 'a', '.', 's', 'w', 'f', 3, 0, 0, 0, 'x', 'y', 'z'}));
    bytes[0] = 2;
    TMemoryStream in(bytes);
    TsfFlashStream back;
    back.ReadRecord(in);
    EXPECT_EQ(back.StoreName, "a.swf");
    EXPECT_EQ(back.Stream().Size(), 3);

    TMemoryStream empty(std::vector<uint8_t>{0});
    TsfFlashStream untouched;
    untouched.ReadRecord(empty);
    EXPECT_EQ(untouched.FlashStore(), "(empty)");
    // A size field larger than the data is refused, not trusted.
    TMemoryStream lying(std::vector<uint8_t>{3, 1, 0, 0, 0, 'a', 0xFF, 0xFF, 0xFF, 0x0F});
    EXPECT_THROW(untouched.ReadRecord(lying), EReadError);
}
