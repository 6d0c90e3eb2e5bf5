// volnrx-cli commands. Arguments arrive converted to code page 1251.
#pragma once
#include <filesystem>
#include <string>
#include <vector>

#include "prefix/prefix_machine.h"

namespace vlx::cli {

// volnrx-cli init DIR: a fresh Windows 98-like machine image; refuses an existing one.
int RunInit(const std::vector<std::string>& args);
// volnrx-cli --prefix DIR reg query|add|delete ...: the Windows reg tool's forms and output.
int RunReg(prefix::PrefixMachine& machine, const std::vector<std::string>& args);

// Writes CP1251 text to stdout as UTF-8.
void Print(const std::string& cp1251Text);
void PrintError(const std::string& cp1251Text);

}  // namespace vlx::cli
