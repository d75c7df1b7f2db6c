// PresetFile: reads a preset file for the host and checks it before the plug-in sees it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The file's bytes (the program chunk the plug-in takes). Throws EHostError: "preset not found: P",
// "cannot read preset P", "preset damaged: P: <reason>".
std::vector<uint8_t> ReadPresetFile(const std::string& path);
