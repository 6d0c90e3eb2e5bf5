// TfrmMain's behaviour: start-up, the window events, the three buttons, the instance message.
#pragma once
#include "app/context.h"

namespace vlx {

constexpr const char* kInstanceName = "VolnerixByKorvaneSoftware";
// Held, beside kInstanceName, by a volnrx-cli run that changes the system: the window that finds
// the instance mutex taken tells such a run from another copy of itself by it.
constexpr const char* kCliRunName = "VolnerixByKorvaneSoftware.cli";

// Program entry up to the message loop: the single-instance guard, then the application title
// and help file, TfrmMain (FormCreate) and TfrmChange. False when another copy runs: this copy
// has sent the instance message and must end with exit code 0.
bool StartProgram(Context& ctx);

// The window is shown: FormShow (load-all), then the first activation: FormActivate.
void ShowMainWindow(Context& ctx);

void FormCreate(Context& ctx);
void FormShow(Context& ctx);
// Runs once: the library checks.
void FormActivate(Context& ctx);
void FormDestroy(Context& ctx);
void btnSaveClick(Context& ctx);
void btnSaveAndCloseClick(Context& ctx);
void btnCloseClick(Context& ctx);
void CloseMainWindow(Context& ctx);
// The message of a library missing from the program folder; the program ends after it.
std::string MissingLibraryText(const std::string& file);
bool MainWindowClosed(const Context& ctx);

// The window procedure's part: true when `message` was the instance message (the window was
// restored and brought to the front).
bool HandleInstanceMessage(Context& ctx, std::uint32_t message);

}  // namespace vlx
