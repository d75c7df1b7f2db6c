// StateFixtures: program chunks and preset files built with the plug-in's own writers, in process.
#pragma once

#include "engine/Plugin.h"
#include "host/VSTPluginBaseDM.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// A module of our own (the same code the library holds) whose state the edit shapes; the result is
// the container bytes that a host chunk or a preset file holds.
using TStateEdit = std::function<void(TVSTPluginBase& module, TVSTPlugin& plugin)>;
std::vector<uint8_t> ContainerOf(const TStateEdit& edit);
// The payload inside container bytes.
std::vector<uint8_t> PayloadOf(const std::vector<uint8_t>& container);
// Container bytes around a payload.
std::vector<uint8_t> ContainerAround(const std::vector<uint8_t>& payload);
void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes);
// Position of a byte sequence, npos when absent.
std::size_t Find(const std::vector<uint8_t>& haystack, const std::vector<uint8_t>& needle);
