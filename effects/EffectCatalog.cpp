#include "effects/EffectCatalog.h"

#include <dlfcn.h>
#include <ladspa.h>
#include <lilv/lilv.h>
#include <lv2/core/lv2.h>
#include <lv2/port-props/port-props.h>
#include <lv2/units/units.h>
#include <lv2/urid/urid.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

namespace fs = std::filesystem;

namespace EffectCatalog {

namespace {

std::vector<std::string> Folders(const char* variable, const std::vector<std::string>& usual)
{
    std::vector<std::string> folders;
    const char* value = std::getenv(variable);
    if (value && *value) {
        std::stringstream list(value);
        for (std::string folder; std::getline(list, folder, ':');)
            if (!folder.empty())
                folders.push_back(folder);
        return folders;
    }
    const char* home = std::getenv("HOME");
    for (const std::string& folder : usual)
        folders.push_back(folder[0] == '~' ? (home ? std::string(home) : std::string()) + folder.substr(1) : folder);
    return folders;
}

// The files directly in folder whose names end in suffix, sorted; nothing for a folder
// that is not there.
std::vector<fs::path> FilesIn(const std::string& folder, const std::string& suffix, bool folders = false)
{
    std::vector<fs::path> files;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        if (name.size() >= suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0 &&
            (folders ? entry.is_directory(error) : entry.is_regular_file(error)))
            files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

// The Debian packages that installed the LADSPA libraries, from dpkg's file lists.
std::map<std::string, std::string> PackagesOfLibraries()
{
    std::map<std::string, std::string> packages;
    for (const fs::path& list : FilesIn("/var/lib/dpkg/info", ".list")) {
        std::ifstream in(list);
        std::string package = list.stem().string();
        package = package.substr(0, package.find(':'));
        for (std::string line; std::getline(in, line);)
            if (line.find("/ladspa/") != std::string::npos && line.size() > 3 && line.ends_with(".so"))
                packages[line] = package;
    }
    return packages;
}

float LadspaDefault(const LADSPA_PortRangeHint& hint, float lo, float hi)
{
    const LADSPA_PortRangeHintDescriptor h = hint.HintDescriptor;
    const bool log = LADSPA_IS_HINT_LOGARITHMIC(h) && lo > 0 && hi > 0;
    auto between = [&](float t) {
        return log ? std::exp(std::log(lo) * (1 - t) + std::log(hi) * t) : lo * (1 - t) + hi * t;
    };
    switch (h & LADSPA_HINT_DEFAULT_MASK) {
    case LADSPA_HINT_DEFAULT_MINIMUM: return lo;
    case LADSPA_HINT_DEFAULT_LOW: return between(0.25f);
    case LADSPA_HINT_DEFAULT_MIDDLE: return between(0.5f);
    case LADSPA_HINT_DEFAULT_HIGH: return between(0.75f);
    case LADSPA_HINT_DEFAULT_MAXIMUM: return hi;
    case LADSPA_HINT_DEFAULT_0: return 0;
    case LADSPA_HINT_DEFAULT_1: return 1;
    case LADSPA_HINT_DEFAULT_100: return 100;
    case LADSPA_HINT_DEFAULT_440: return 440;
    default: return std::clamp(0.0f, lo, hi);
    }
}

// Whether the effect's audio ports make it one the program can apply.
bool Usable(TEffectInfo& info)
{
    if (info.AudioIn.empty() || info.AudioIn.size() > 2 || info.AudioIn.size() != info.AudioOut.size())
        return false;
    info.Channels = static_cast<uint32_t>(info.AudioIn.size());
    return true;
}

void Escape(std::ostream& out, const std::string& text)
{
    for (const char c : text)
        out << (c == '\t' || c == '\n' || c == '\r' ? ' ' : c);
}

std::string Field(std::istringstream& line)
{
    std::string field;
    std::getline(line, field, '\t');
    return field;
}

} // namespace

std::vector<std::string> LadspaFolders()
{
    return Folders("LADSPA_PATH", {"~/.ladspa", "/usr/local/lib/ladspa", "/usr/lib/ladspa"});
}

std::vector<std::string> Lv2Folders()
{
    return Folders("LV2_PATH", {"~/.lv2", "/usr/local/lib/lv2", "/usr/lib/lv2"});
}

std::string Fingerprint(const std::vector<std::string>& ladspaFolders, const std::vector<std::string>& lv2Folders)
{
    std::ostringstream key;
    auto add = [&key](const fs::path& file) {
        std::error_code error;
        const auto time = fs::last_write_time(file, error);
        key << file.string() << ' ' << (error ? 0 : time.time_since_epoch().count()) << '\n';
    };
    for (const std::string& folder : ladspaFolders) {
        key << "ladspa " << folder << '\n';
        for (const fs::path& file : FilesIn(folder, ".so"))
            add(file);
    }
    for (const std::string& folder : lv2Folders) {
        key << "lv2 " << folder << '\n';
        for (const fs::path& bundle : FilesIn(folder, ".lv2", true))
            add(bundle / "manifest.ttl");
    }
    return key.str();
}

std::vector<TEffectInfo> ScanLadspa(const std::vector<std::string>& folders)
{
    std::vector<TEffectInfo> effects;
    const std::map<std::string, std::string> packages = PackagesOfLibraries();
    std::set<std::string> seen;  // a library found twice counts once
    for (const std::string& folder : folders) {
        for (const fs::path& file : FilesIn(folder, ".so")) {
            if (!seen.insert(file.filename().string()).second)
                continue;
            void* library = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
            if (!library)
                continue;
            auto entry = reinterpret_cast<LADSPA_Descriptor_Function>(dlsym(library, "ladspa_descriptor"));
            const auto package = packages.find(fs::weakly_canonical(file).string());
            for (unsigned long index = 0; entry; ++index) {
                const LADSPA_Descriptor* d = entry(index);
                if (!d)
                    break;
                TEffectInfo info;
                info.Kind = TEffectKind::Ladspa;
                info.Library = file.string();
                info.Label = d->Label ? d->Label : "";
                info.Id = info.Library + ":" + info.Label;
                info.Name = d->Name ? d->Name : info.Label;
                info.Category = package != packages.end() ? package->second : file.stem().string();
                for (unsigned long p = 0; p < d->PortCount; ++p) {
                    const LADSPA_PortDescriptor kind = d->PortDescriptors[p];
                    const auto port = static_cast<uint32_t>(p);
                    if (LADSPA_IS_PORT_AUDIO(kind)) {
                        (LADSPA_IS_PORT_INPUT(kind) ? info.AudioIn : info.AudioOut).push_back(port);
                        continue;
                    }
                    const std::string name = d->PortNames[p] ? d->PortNames[p] : "";
                    if (LADSPA_IS_PORT_OUTPUT(kind)) {
                        info.ControlOuts.push_back(port);
                        std::string lower = name;
                        std::transform(lower.begin(), lower.end(), lower.begin(), ::tolower);
                        if (lower == "latency" || lower == "_latency")
                            info.LatencyPort = static_cast<int32_t>(port);
                        continue;
                    }
                    const LADSPA_PortRangeHint& hint = d->PortRangeHints[p];
                    const LADSPA_PortRangeHintDescriptor h = hint.HintDescriptor;
                    const float rate = LADSPA_IS_HINT_SAMPLE_RATE(h) ? 22050.0f : 1.0f;
                    TEffectControl control;
                    control.Index = port;
                    control.Name = name;
                    control.Toggled = LADSPA_IS_HINT_TOGGLED(h);
                    control.Integer = LADSPA_IS_HINT_INTEGER(h);
                    control.Logarithmic = LADSPA_IS_HINT_LOGARITHMIC(h);
                    control.Min = control.Toggled ? 0 : LADSPA_IS_HINT_BOUNDED_BELOW(h) ? hint.LowerBound * rate : 0;
                    control.Max = control.Toggled ? 1 : LADSPA_IS_HINT_BOUNDED_ABOVE(h) ? hint.UpperBound * rate
                                                                                          : std::max(control.Min, 1.0f);
                    if (control.Max < control.Min)
                        std::swap(control.Min, control.Max);
                    control.Default = std::clamp(LadspaDefault(hint, control.Min, control.Max), control.Min, control.Max);
                    info.Controls.push_back(std::move(control));
                }
                if (Usable(info))
                    effects.push_back(std::move(info));
            }
            dlclose(library);
        }
    }
    return effects;
}

std::vector<TEffectInfo> ScanLv2(const std::vector<std::string>& folders)
{
    std::vector<TEffectInfo> effects;
    LilvWorld* world = lilv_world_new();
    std::string path;
    for (const std::string& folder : folders)
        path += (path.empty() ? "" : ":") + folder;
    // lilv reads LV2_PATH itself: the folders chosen here are what it must see.
    const char* old = std::getenv("LV2_PATH");
    const std::string saved = old ? old : "";
    setenv("LV2_PATH", path.c_str(), 1);
    lilv_world_load_all(world);
    if (old)
        setenv("LV2_PATH", saved.c_str(), 1);
    else
        unsetenv("LV2_PATH");

    LilvNode* audio = lilv_new_uri(world, LV2_CORE__AudioPort);
    LilvNode* control = lilv_new_uri(world, LV2_CORE__ControlPort);
    LilvNode* input = lilv_new_uri(world, LV2_CORE__InputPort);
    LilvNode* optional = lilv_new_uri(world, LV2_CORE__connectionOptional);
    LilvNode* integer = lilv_new_uri(world, LV2_CORE__integer);
    LilvNode* toggled = lilv_new_uri(world, LV2_CORE__toggled);
    LilvNode* enumeration = lilv_new_uri(world, LV2_CORE__enumeration);
    LilvNode* logarithmic = lilv_new_uri(world, LV2_PORT_PROPS__logarithmic);
    LilvNode* unit = lilv_new_uri(world, LV2_UNITS__unit);
    LilvNode* symbol = lilv_new_uri(world, LV2_UNITS__symbol);
    LilvNode* urid = lilv_new_uri(world, LV2_URID__map);

    const LilvPlugins* plugins = lilv_world_get_all_plugins(world);
    LILV_FOREACH (plugins, it, plugins) {
        const LilvPlugin* plugin = lilv_plugins_get(plugins, it);
        // Only the features the host offers may be required.
        bool supported = true;
        LilvNodes* required = lilv_plugin_get_required_features(plugin);
        LILV_FOREACH (nodes, n, required)
            supported = supported && lilv_node_equals(lilv_nodes_get(required, n), urid);
        lilv_nodes_free(required);
        if (!supported)
            continue;

        TEffectInfo info;
        info.Kind = TEffectKind::Lv2;
        info.Id = lilv_node_as_uri(lilv_plugin_get_uri(plugin));
        char* bundle = lilv_file_uri_parse(lilv_node_as_uri(lilv_plugin_get_bundle_uri(plugin)), nullptr);
        info.Library = bundle ? bundle : "";
        lilv_free(bundle);
        LilvNode* name = lilv_plugin_get_name(plugin);
        info.Name = name ? lilv_node_as_string(name) : info.Id;
        lilv_node_free(name);
        const LilvNode* label = lilv_plugin_class_get_label(lilv_plugin_get_class(plugin));
        info.Category = label ? lilv_node_as_string(label) : "Plugin";
        // "Amplifier Plugin" reads as "Amplifier" in a menu of effects.
        if (info.Category.size() > 7 && info.Category.ends_with(" Plugin"))
            info.Category.resize(info.Category.size() - 7);
        const uint32_t count = lilv_plugin_get_num_ports(plugin);
        std::vector<float> mins(count), maxs(count), defs(count);
        lilv_plugin_get_port_ranges_float(plugin, mins.data(), maxs.data(), defs.data());
        const uint32_t latency = lilv_plugin_has_latency(plugin) ? lilv_plugin_get_latency_port_index(plugin) : UINT32_MAX;
        for (uint32_t p = 0; p < count && supported; ++p) {
            const LilvPort* port = lilv_plugin_get_port_by_index(plugin, p);
            const bool in = lilv_port_is_a(plugin, port, input);
            if (lilv_port_is_a(plugin, port, audio)) {
                (in ? info.AudioIn : info.AudioOut).push_back(p);
            } else if (lilv_port_is_a(plugin, port, control)) {
                if (!in) {
                    info.ControlOuts.push_back(p);
                    if (p == latency)
                        info.LatencyPort = static_cast<int32_t>(p);
                    continue;
                }
                TEffectControl c;
                c.Index = p;
                LilvNode* portName = lilv_port_get_name(plugin, port);
                c.Name = portName ? lilv_node_as_string(portName) : "";
                lilv_node_free(portName);
                c.Integer = lilv_port_has_property(plugin, port, integer);
                c.Toggled = lilv_port_has_property(plugin, port, toggled);
                c.Logarithmic = lilv_port_has_property(plugin, port, logarithmic);
                c.Min = std::isnan(mins[p]) ? 0 : mins[p];
                c.Max = std::isnan(maxs[p]) ? std::max(c.Min, 1.0f) : maxs[p];
                if (c.Max < c.Min)
                    std::swap(c.Min, c.Max);
                c.Default = std::clamp(std::isnan(defs[p]) ? c.Min : defs[p], c.Min, c.Max);
                if (LilvNodes* units = lilv_port_get_value(plugin, port, unit)) {
                    if (lilv_nodes_size(units) > 0) {
                        const LilvNode* u = lilv_nodes_get_first(units);
                        if (LilvNode* s = lilv_world_get(world, u, symbol, nullptr)) {
                            c.Unit = lilv_node_as_string(s);
                            lilv_node_free(s);
                        }
                    }
                    lilv_nodes_free(units);
                }
                if (lilv_port_has_property(plugin, port, enumeration)) {
                    if (LilvScalePoints* points = lilv_port_get_scale_points(plugin, port)) {
                        LILV_FOREACH (scale_points, s, points) {
                            const LilvScalePoint* point = lilv_scale_points_get(points, s);
                            c.Choices.push_back({lilv_node_as_float(lilv_scale_point_get_value(point)),
                                                 lilv_node_as_string(lilv_scale_point_get_label(point))});
                        }
                        lilv_scale_points_free(points);
                        std::sort(c.Choices.begin(), c.Choices.end(),
                                  [](const TEffectChoice& a, const TEffectChoice& b) { return a.Value < b.Value; });
                    }
                }
                info.Controls.push_back(std::move(c));
            } else if (!lilv_port_has_property(plugin, port, optional)) {
                supported = false;  // an event or CV port the host cannot feed
            }
        }
        if (supported && Usable(info))
            effects.push_back(std::move(info));
    }
    for (LilvNode* node : {audio, control, input, optional, integer, toggled, enumeration, logarithmic, unit, symbol, urid})
        lilv_node_free(node);
    lilv_world_free(world);
    return effects;
}

bool ReadCache(const std::string& file, const std::string& fingerprint, std::vector<TEffectInfo>& effects)
try {
    std::ifstream in(file, std::ios::binary);
    std::string header;
    if (!std::getline(in, header) || header != "sonovane-effects 1")
        return false;
    std::string lengthLine;
    if (!std::getline(in, lengthLine))
        return false;
    const size_t length = std::strtoul(lengthLine.c_str(), nullptr, 10);
    std::string key(length, '\0');
    if (!in.read(key.data(), static_cast<std::streamsize>(length)) || key != fingerprint)
        return false;
    std::vector<TEffectInfo> read;
    for (std::string text; std::getline(in, text);) {
        std::istringstream line(text);
        const std::string kind = Field(line);
        if (kind == "E") {
            TEffectInfo info;
            info.Kind = Field(line) == "lv2" ? TEffectKind::Lv2 : TEffectKind::Ladspa;
            info.Id = Field(line);
            info.Library = Field(line);
            info.Label = Field(line);
            info.Name = Field(line);
            info.Category = Field(line);
            info.Channels = static_cast<uint32_t>(std::stoul("0" + Field(line)));
            info.LatencyPort = std::stoi("0" + Field(line)) - 1;
            for (auto* ports : {&info.AudioIn, &info.AudioOut, &info.ControlOuts}) {
                std::istringstream list(Field(line));
                for (uint32_t p; list >> p;)
                    ports->push_back(p);
            }
            read.push_back(std::move(info));
        } else if (kind == "C" && !read.empty()) {
            TEffectControl c;
            c.Index = static_cast<uint32_t>(std::stoul("0" + Field(line)));
            c.Name = Field(line);
            c.Unit = Field(line);
            std::istringstream numbers(Field(line));
            int flags = 0;
            numbers >> c.Min >> c.Max >> c.Default >> flags;
            c.Logarithmic = flags & 1;
            c.Integer = flags & 2;
            c.Toggled = flags & 4;
            while (line.good()) {
                const std::string value = Field(line);
                if (value.empty())
                    break;
                c.Choices.push_back({std::stof(value), Field(line)});
            }
            read.back().Controls.push_back(std::move(c));
        } else {
            return false;
        }
    }
    effects = std::move(read);
    return true;
} catch (const std::exception&) {
    return false;  // a damaged cache is read as no cache
}

void WriteCache(const std::string& file, const std::string& fingerprint, const std::vector<TEffectInfo>& effects)
{
    std::error_code error;
    fs::create_directories(fs::path(file).parent_path(), error);
    const std::string temp = file + ".new";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out.precision(9);
        out << "sonovane-effects 1\n" << fingerprint.size() << '\n' << fingerprint;
        for (const TEffectInfo& e : effects) {
            out << "E\t" << (e.Kind == TEffectKind::Lv2 ? "lv2" : "ladspa");
            for (const std::string* text : {&e.Id, &e.Library, &e.Label, &e.Name, &e.Category}) {
                out << '\t';
                Escape(out, *text);
            }
            out << '\t' << e.Channels << '\t' << e.LatencyPort + 1;
            for (const auto* ports : {&e.AudioIn, &e.AudioOut, &e.ControlOuts}) {
                out << '\t';
                for (size_t i = 0; i < ports->size(); ++i)
                    out << (i ? " " : "") << (*ports)[i];
            }
            out << '\n';
            for (const TEffectControl& c : e.Controls) {
                out << "C\t" << c.Index << '\t';
                Escape(out, c.Name);
                out << '\t';
                Escape(out, c.Unit);
                out << '\t' << c.Min << ' ' << c.Max << ' ' << c.Default << ' '
                    << (c.Logarithmic | c.Integer << 1 | c.Toggled << 2);
                for (const TEffectChoice& choice : c.Choices) {
                    out << '\t' << choice.Value << '\t';
                    Escape(out, choice.Label.empty() ? std::string(" ") : choice.Label);
                }
                out << '\n';
            }
        }
        if (!out)
            return;  // a cache that cannot be written is made again next time
    }
    fs::rename(temp, file, error);
}

std::vector<TEffectInfo> Discover(const std::string& cacheFile)
{
    const std::vector<std::string> ladspa = LadspaFolders();
    const std::vector<std::string> lv2 = Lv2Folders();
    const std::string key = Fingerprint(ladspa, lv2);
    std::vector<TEffectInfo> effects;
    if (!cacheFile.empty() && ReadCache(cacheFile, key, effects))
        return effects;
    effects = ScanLadspa(ladspa);
    std::vector<TEffectInfo> more = ScanLv2(lv2);
    effects.insert(effects.end(), std::make_move_iterator(more.begin()), std::make_move_iterator(more.end()));
    std::stable_sort(effects.begin(), effects.end(), [](const TEffectInfo& a, const TEffectInfo& b) {
        return a.Category != b.Category ? a.Category < b.Category : a.Name < b.Name;
    });
    if (!cacheFile.empty())
        WriteCache(cacheFile, key, effects);
    return effects;
}

} // namespace EffectCatalog
