// The DLL's class object and unload rule, loaded into this process as a host would.
#include "tests/com/ComTestSupport.h"

#include "support/Raii.h"

#include "PLRPluginIF.h"
#include "PluginForBrellix.h"

#include <gtest/gtest.h>

using namespace com_testing;

namespace {

using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
using CanUnloadNowFn = HRESULT(STDAPICALLTYPE*)();

class LoadedServer : public ::testing::Test {
protected:
    void SetUp() override {
        m_module.Reset(::LoadLibraryW(PluginDllPath().c_str()));
        ASSERT_TRUE(m_module) << "error " << ::GetLastError();
        m_getClassObject = reinterpret_cast<GetClassObjectFn>(
            reinterpret_cast<void*>(::GetProcAddress(m_module.Get(), "DllGetClassObject")));
        m_canUnloadNow = reinterpret_cast<CanUnloadNowFn>(
            reinterpret_cast<void*>(::GetProcAddress(m_module.Get(), "DllCanUnloadNow")));
        ASSERT_TRUE(m_getClassObject && m_canUnloadNow);
    }

    raii::ComPtr<IClassFactory> Factory() {
        raii::ComPtr<IClassFactory> factory;
        EXPECT_EQ(m_getClassObject(CLSID_Main, IID_IClassFactory, factory.PutVoid()), S_OK);
        return factory;
    }

    raii::ComApartment m_apartment;
    raii::UniqueModule m_module;
    GetClassObjectFn m_getClassObject = nullptr;
    CanUnloadNowFn m_canUnloadNow = nullptr;
};

// An outer object that counts the references its inner object forwards to it.
class CountingOuter : public IUnknown {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        ++queries;
        if (riid == IID_IUnknown) {
            *object = this;
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }

    ULONG references = 1;
    int queries = 0;
};

}  // namespace

TEST_F(LoadedServer, CanUnloadOnlyWhenNoInstanceNorFactoryReferenceLives) {
    EXPECT_EQ(m_canUnloadNow(), S_OK);
    raii::ComPtr<IClassFactory> factory = Factory();
    ASSERT_TRUE(factory);
    EXPECT_EQ(m_canUnloadNow(), S_FALSE);  // a held factory keeps the DLL

    raii::ComPtr<IPLRPlugin2> plugin;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IPLRPlugin2, plugin.PutVoid()), S_OK);
    factory.Reset();
    EXPECT_EQ(m_canUnloadNow(), S_FALSE);  // the instance alone keeps it too
    plugin.Reset();
    EXPECT_EQ(m_canUnloadNow(), S_OK);
}

TEST_F(LoadedServer, LockServerHoldsTheModule) {
    raii::ComPtr<IClassFactory> factory = Factory();
    ASSERT_TRUE(factory);
    ASSERT_EQ(factory->LockServer(TRUE), S_OK);
    factory.Reset();
    EXPECT_EQ(m_canUnloadNow(), S_FALSE);
    ASSERT_EQ(Factory()->LockServer(FALSE), S_OK);
    EXPECT_EQ(m_canUnloadNow(), S_OK);
}

TEST_F(LoadedServer, ForeignClassIsNotAvailableAndClearsTheOutPointer) {
    const CLSID foreign = {0x11111111, 0x2222, 0x3333, {0x44, 0x44, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55}};
    void* object = reinterpret_cast<void*>(static_cast<uintptr_t>(0x12345678));
    EXPECT_EQ(m_getClassObject(foreign, IID_IClassFactory, &object), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(m_getClassObject(CLSID_Main, IID_IClassFactory, nullptr), E_POINTER);
}

TEST_F(LoadedServer, RefusedInterfaceLeavesNoInstanceBehind) {
    raii::ComPtr<IClassFactory> factory = Factory();
    void* object = reinterpret_cast<void*>(static_cast<uintptr_t>(0x12345678));
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IClassFactory, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    factory.Reset();
    EXPECT_EQ(m_canUnloadNow(), S_OK);
}

TEST_F(LoadedServer, AggregatedInstanceDelegatesItsIUnknownToTheOuterObject) {
    raii::ComPtr<IClassFactory> factory = Factory();
    CountingOuter outer;
    raii::ComPtr<IUnknown> refused;
    EXPECT_EQ(factory->CreateInstance(&outer, IID_IPLRPlugin2, refused.PutVoid()), CLASS_E_NOAGGREGATION);

    raii::ComPtr<IUnknown> inner;
    ASSERT_EQ(factory->CreateInstance(&outer, IID_IUnknown, inner.PutVoid()), S_OK);
    raii::ComPtr<IPLRPlugin2> plugin;
    ASSERT_EQ(inner->QueryInterface(IID_IPLRPlugin2, plugin.PutVoid()), S_OK);
    EXPECT_EQ(outer.references, 2u);  // the interface handed out holds the outer object

    raii::ComPtr<IUnknown> identity;
    ASSERT_EQ(plugin->QueryInterface(IID_IUnknown, identity.PutVoid()), S_OK);
    EXPECT_EQ(identity.Get(), static_cast<IUnknown*>(&outer));
    EXPECT_EQ(outer.queries, 1);

    LONG code = -1;
    EXPECT_EQ(plugin->Connect(&code), S_OK);
    EXPECT_EQ(code, 0);
    identity.Reset();
    plugin.Reset();
    EXPECT_EQ(outer.references, 1u);
    factory.Reset();
    EXPECT_EQ(m_canUnloadNow(), S_FALSE);
    inner.Reset();
    EXPECT_EQ(m_canUnloadNow(), S_OK);
}
