#include "effects/EffectInstance.h"

#include <dlfcn.h>
#include <ladspa.h>
#include <lilv/lilv.h>
#include <lv2/urid/urid.h>

#include <map>
#include <string>

#include "effects/EffectProcessor.h"

namespace {

class TLadspaInstance : public TEffectInstance {
public:
    TLadspaInstance(const TEffectInfo& info, uint32_t rate)
    {
        FLibrary = dlopen(info.Library.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!FLibrary)
            throw EEffectError("The effect \"" + info.Name + "\" cannot be loaded: " + dlerror());
        auto entry = reinterpret_cast<LADSPA_Descriptor_Function>(dlsym(FLibrary, "ladspa_descriptor"));
        for (unsigned long i = 0; entry && !FDescriptor; ++i) {
            const LADSPA_Descriptor* d = entry(i);
            if (!d)
                break;
            if (info.Label == d->Label)
                FDescriptor = d;
        }
        if (!FDescriptor)
            throw EEffectError("The effect \"" + info.Name + "\" is no longer in " + info.Library + ".");
        FHandle = FDescriptor->instantiate(FDescriptor, rate);
        if (!FHandle)
            throw EEffectError("The effect \"" + info.Name + "\" could not be started.");
    }
    ~TLadspaInstance() override
    {
        if (FHandle && FDescriptor->cleanup)
            FDescriptor->cleanup(FHandle);
        if (FLibrary)
            dlclose(FLibrary);
    }
    void Connect(uint32_t port, float* data) override { FDescriptor->connect_port(FHandle, port, data); }
    void Activate() override
    {
        if (FDescriptor->activate)
            FDescriptor->activate(FHandle);
    }
    void Run(uint32_t samples) override { FDescriptor->run(FHandle, samples); }
    void Deactivate() override
    {
        if (FDescriptor->deactivate)
            FDescriptor->deactivate(FHandle);
    }

private:
    void* FLibrary = nullptr;
    const LADSPA_Descriptor* FDescriptor = nullptr;
    LADSPA_Handle FHandle = nullptr;
};

// The one feature offered to LV2 effects: numbers for URIs.
class TUridMap {
public:
    TUridMap() : FMap{this, &TUridMap::Map}, FFeature{LV2_URID__map, &FMap} {}
    const LV2_Feature* Feature() const { return &FFeature; }

private:
    static LV2_URID Map(LV2_URID_Map_Handle handle, const char* uri)
    {
        auto& ids = static_cast<TUridMap*>(handle)->FIds;
        const auto [it, added] = ids.emplace(uri, static_cast<LV2_URID>(ids.size() + 1));
        return it->second;
    }
    std::map<std::string, LV2_URID> FIds;
    LV2_URID_Map FMap;
    LV2_Feature FFeature;
};

class TLv2Instance : public TEffectInstance {
public:
    TLv2Instance(const TEffectInfo& info, uint32_t rate)
    {
        FWorld = lilv_world_new();
        lilv_world_load_all(FWorld);
        LilvNode* uri = lilv_new_uri(FWorld, info.Id.c_str());
        const LilvPlugin* plugin = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(FWorld), uri);
        lilv_node_free(uri);
        if (!plugin)
            throw EEffectError("The effect \"" + info.Name + "\" is no longer installed.");
        const LV2_Feature* features[] = {FUrid.Feature(), nullptr};
        FInstance = lilv_plugin_instantiate(plugin, rate, features);
        if (!FInstance)
            throw EEffectError("The effect \"" + info.Name + "\" could not be started.");
    }
    ~TLv2Instance() override
    {
        if (FInstance)
            lilv_instance_free(FInstance);
        lilv_world_free(FWorld);
    }
    void Connect(uint32_t port, float* data) override { lilv_instance_connect_port(FInstance, port, data); }
    void Activate() override { lilv_instance_activate(FInstance); }
    void Run(uint32_t samples) override { lilv_instance_run(FInstance, samples); }
    void Deactivate() override { lilv_instance_deactivate(FInstance); }

private:
    LilvWorld* FWorld = nullptr;
    TUridMap FUrid;
    LilvInstance* FInstance = nullptr;
};

} // namespace

std::unique_ptr<TEffectInstance> TEffectInstance::Make(const TEffectInfo& info, uint32_t rate)
{
    if (info.Kind == TEffectKind::Ladspa)
        return std::make_unique<TLadspaInstance>(info, rate);
    return std::make_unique<TLv2Instance>(info, rate);
}
