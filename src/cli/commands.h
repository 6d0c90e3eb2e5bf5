// volnrx-cli commands. Arguments arrive converted to code page 1251.
#pragma once
#include <filesystem>
#include <string>
#include <vector>

#include "cli/script.h"
#include "prefix/prefix_machine.h"

namespace vlx::cli {

// volnrx-cli init [--win9x] DIR | init --disk IMAGE: a fresh Windows 98-like machine image (a
// Wine prefix, a 9x boot drive, or that drive in a raw disk image); refuses an existing one.
int RunInit(const std::vector<std::string>& args);
// volnrx-cli --prefix DIR reg query|add|delete ...: the Windows reg tool's forms and output.
int RunReg(prefix::PrefixMachine& machine, const std::vector<std::string>& args);

// volnrx-cli --prefix DIR [--program-dir DIR] [COMMAND ...] | -f SCRIPT: the program started
// over the image, then the commands. 0 when they all ran or the program ended itself; 2 after a
// script error, which names the line.
int RunProgram(prefix::PrefixMachine& machine, const std::string& programDir,
               const std::vector<ScriptCommand>& commands);

// Writes CP1251 text to stdout as UTF-8.
void Print(const std::string& cp1251Text);
void PrintError(const std::string& cp1251Text);

}  // namespace vlx::cli
