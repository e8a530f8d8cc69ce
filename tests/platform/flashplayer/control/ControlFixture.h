// Creates the control the way the program's host does: through the class registry,
// client site first, initialised, connected to an event sink, activated in place
// without a window.
#pragma once

#include "ConnectionPoint.h"
#include "FakeEngine.h"
#include "Registration.h"
#include "ShockwaveFlash.h"
#include "TestSite.h"

#include <gtest/gtest.h>

// Receives the control's events (it answers the events interface id with its IDispatch).
class EventRecorder final : public ComObject<IDispatch> {
public:
    struct Event {
        DISPID id;
        std::vector<VARIANT> args;  // declared order
    };
    std::vector<Event> events;

    HRESULT QueryInterface(REFIID riid, void** ppv) override
    {
        if (riid == DIID_ShockwaveFlashEvents) {
            *ppv = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        return ComObject::QueryInterface(riid, ppv);
    }
    HRESULT GetTypeInfoCount(UINT* n) override
    {
        *n = 0;
        return S_OK;
    }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* p, VARIANT*, EXCEPINFO*, UINT*) override
    {
        Event e{id, {}};
        for (UINT i = 0; i < p->cArgs; ++i)
            e.args.push_back(*DispArg(p, i));
        events.push_back(std::move(e));
        return S_OK;
    }
    // "id:arg,arg" per event, for compact comparisons.
    std::vector<std::string> summary() const
    {
        std::vector<std::string> out;
        for (const auto& e : events) {
            std::string s = std::to_string(e.id) + ":";
            for (size_t i = 0; i < e.args.size(); ++i) {
                if (i)
                    s += ",";
                s += e.args[i].vt == VT_BSTR ? e.args[i].bstrVal.toUtf8() : std::to_string(e.args[i].lVal);
            }
            out.push_back(s);
        }
        return out;
    }
};

class ControlTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(flashcontrol::RegisterFlashControlClass(
                      [this] { return std::unique_ptr<flashcontrol::ControlEngine>(new FakeEngine(engine)); }, &cookie),
            S_OK);
        site = MakeCom<TestSite>();
        events = MakeCom<EventRecorder>();
    }
    void TearDown() override
    {
        if (object) {
            object->Close(OLECLOSE_NOSAVE);
            object->SetClientSite(nullptr);
        }
        if (eventCookie)
            eventPoint->Unadvise(eventCookie);
        object.reset();
        CoRevokeClassObject(cookie);
    }

    // Creation, client site, initialisation and event connection.
    void create()
    {
        ASSERT_EQ(CoCreateInstance(CLSID_ShockwaveFlash, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                      IID_IOleObject, object.putVoid()),
            S_OK);
        DWORD misc = 0;
        ASSERT_EQ(object->GetMiscStatus(DVASPECT_CONTENT, &misc), S_OK);
        ASSERT_TRUE(misc & OLEMISC_SETCLIENTSITEFIRST);
        ASSERT_EQ(object->SetClientSite(site.get()), S_OK);
        auto persist = object.as<IPersistStreamInit>();
        ASSERT_TRUE(persist);
        ASSERT_EQ(persist->InitNew(), S_OK);
        auto container = object.as<IConnectionPointContainer>();
        ASSERT_TRUE(container);
        ASSERT_EQ(container->FindConnectionPoint(DIID_ShockwaveFlashEvents, eventPoint.put()), S_OK);
        ASSERT_EQ(eventPoint->Advise(events.get(), &eventCookie), S_OK);
        dispatch = object.as<IDispatch>();
        flash = dispatch.as<IShockwaveFlash>();
        ASSERT_TRUE(dispatch && flash);
    }

    void activate()
    {
        RECT pos = site->position;
        ASSERT_EQ(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site.get(), 0, nullptr, &pos), S_OK);
        view = object.as<IViewObject>();
        windowless = object.as<IOleInPlaceObjectWindowless>();
        ASSERT_TRUE(view && windowless);
    }

    void serve(const std::string& name, const std::string& bytes)
    {
        site->served[name] = std::vector<uint8_t>(bytes.begin(), bytes.end());
    }

    FakeEngineState engine;
    DWORD cookie = 0;
    ComPtr<TestSite> site;
    ComPtr<EventRecorder> events;
    ComPtr<IOleObject> object;
    ComPtr<IDispatch> dispatch;
    ComPtr<IShockwaveFlash> flash;
    ComPtr<IConnectionPoint> eventPoint;
    DWORD eventCookie = 0;
    ComPtr<IViewObject> view;
    ComPtr<IOleInPlaceObjectWindowless> windowless;
};
