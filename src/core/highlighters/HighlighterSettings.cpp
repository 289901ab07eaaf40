#include "core/highlighters/HighlighterSettings.h"

#include <optional>

namespace tervil {

namespace {

constexpr const char* kRoot = "Software\\Tervil Editor\\";
constexpr int kStyleMask = fsBold | fsItalic | fsUnderline | fsStrikeOut;

std::optional<std::uint32_t> ReadOptionalInteger(const TSettingsStore& store,
                                                 const std::string& path, const std::string& name) {
  try {
    if (!store.ValueExists(path, name)) return std::nullopt;
    return store.ReadInteger(path, name);
  } catch (const TSettingsError&) {
    return std::nullopt;
  }
}

}  // namespace

std::string HighlighterKeyPath(const std::string& configName, const std::string& languageName) {
  return kRoot + configName + "\\Highlighters\\" + languageName;
}

void SaveHighlighterAttributes(TSettingsStore& store, const std::string& keyPath,
                               THighlighter& highlighter) {
  for (THighlighterAttribute* attribute : highlighter.Attributes()) {
    std::string path = keyPath + "\\" + attribute->name;
    store.WriteInteger(path, "Background", attribute->background);
    store.WriteInteger(path, "Foreground", attribute->foreground);
    store.WriteInteger(path, "Style", static_cast<std::uint32_t>(attribute->style & kStyleMask));
  }
}

void LoadHighlighterAttributes(const TSettingsStore& store, const std::string& keyPath,
                               THighlighter& highlighter) {
  for (THighlighterAttribute* attribute : highlighter.Attributes()) {
    std::string path = keyPath + "\\" + attribute->name;
    if (auto value = ReadOptionalInteger(store, path, "Background")) attribute->background = *value;
    if (auto value = ReadOptionalInteger(store, path, "Foreground")) attribute->foreground = *value;
    if (auto value = ReadOptionalInteger(store, path, "Style"))
      attribute->style = static_cast<int>(*value) & kStyleMask;
  }
}

}  // namespace tervil
