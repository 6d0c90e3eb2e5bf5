// The page "File Killer": delete a file or replace it by another, at once or, when the file is
// in use, at the next start of Windows.
#pragma once
#include <span>
#include <string>

#include "ui/form_spec.h"

namespace vlx {

class Context;

std::span<const ui::ControlSpec> FileKillerPageTable();
void BindFileKillerPage(Context& ctx);

// "Обзор..." of the two files: the open-file dialog, then the edit, icon and size label.
void BrowseSourceFile(Context& ctx);
void BrowseDestinationFile(Context& ctx);
// "Удалить !" and "Заменить !".
void btnKillFileClick(Context& ctx);
void btnReplaceFileClick(Context& ctx);
// A file in use: asks Yes/No/Cancel, registers the command under RunOnce on Yes or No, and
// restarts the computer on Yes.
void ScheduleDeleteAtRestart(Context& ctx, const std::string& source);
void ScheduleReplaceAtRestart(Context& ctx, const std::string& source,
                              const std::string& destination);

void edtSourceFileChange(Context& ctx);
void edtDestinationFileChange(Context& ctx);
void rbDeleteSourceFileClick(Context& ctx);
void rbReplaceFileClick(Context& ctx);
void ImgSourceClick(Context& ctx);
void ImgDestinationClick(Context& ctx);

namespace filekill {
// The open-file dialog's filter: description and pattern pairs separated by "|".
extern const char* const kFileFilter;
}  // namespace filekill

}  // namespace vlx
