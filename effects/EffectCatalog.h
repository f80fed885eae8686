#pragma once
// The installed LADSPA and LV2 effects the program can apply: every plug-in with one or
// two audio inputs and as many outputs, only control ports besides, and no required
// feature the host lacks. Found in LADSPA_PATH and LV2_PATH (or their usual folders),
// then kept in a cache file keyed by the paths and modification times of what was read,
// so a start with nothing changed reads one small file and loads no library.

#include <string>
#include <vector>

#include "effects/EffectInfo.h"

namespace EffectCatalog {

// The folders searched: the variable's folders (colon-separated) when it is set, else
// the usual ones under $HOME, /usr/local and /usr.
std::vector<std::string> LadspaFolders();
std::vector<std::string> Lv2Folders();

// What the cache is keyed by: each LADSPA library and each LV2 bundle's manifest with
// its modification time, in a stable order.
std::string Fingerprint(const std::vector<std::string>& ladspaFolders, const std::vector<std::string>& lv2Folders);

// Reads the libraries and bundles themselves (slow: loads every library).
std::vector<TEffectInfo> ScanLadspa(const std::vector<std::string>& folders);
std::vector<TEffectInfo> ScanLv2(const std::vector<std::string>& folders);

// The cache file: the fingerprint, then the effects. Reading gives false for a missing,
// damaged or stale file (fingerprint differs).
bool ReadCache(const std::string& file, const std::string& fingerprint, std::vector<TEffectInfo>& effects);
void WriteCache(const std::string& file, const std::string& fingerprint, const std::vector<TEffectInfo>& effects);

// Everything installed, from the cache when it is current, else scanned and cached;
// sorted by category, then name.
std::vector<TEffectInfo> Discover(const std::string& cacheFile);

} // namespace EffectCatalog
