#pragma once

#include <string>

#include "core/config/SettingsStore.h"
#include "core/editcomponent/Highlighter.h"

namespace tervil {

// The key under which a configuration keeps the attributes of one highlighter:
// "Software\Tervil Editor\" + configuration + "\Highlighters\" + language name.
std::string HighlighterKeyPath(const std::string& configName, const std::string& languageName);

// Writes each attribute of `highlighter` to keyPath + "\" + attribute name as the integers
// "Background", "Foreground" and "Style".
void SaveHighlighterAttributes(TSettingsStore& store, const std::string& keyPath,
                               THighlighter& highlighter);

// Reads the attributes back. A missing value, or one of the wrong type, leaves that part of
// the attribute as it was; style bits other than bold, italic, underline and strike-out are
// ignored.
void LoadHighlighterAttributes(const TSettingsStore& store, const std::string& keyPath,
                               THighlighter& highlighter);

}  // namespace tervil
