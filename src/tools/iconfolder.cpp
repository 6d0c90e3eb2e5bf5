#include "tools/iconfolder.h"

#include "app/context.h"
#include "store/folders.h"
#include "store/profile_file.h"
#include "ui/form.h"

namespace vlx {

namespace {

using ui::Kind;

constexpr const char* kShellClassInfo = ".ShellClassInfo";
constexpr const char* kIconFile = "IconFile";
constexpr const char* kIconIndex = "IconIndex";
constexpr const char* kInfoTip = "InfoTip";
constexpr const char* kFolderViews = "ExtShellFolderViews";

const ui::ControlSpec kIconFolderPage[] = {
    {.kind = Kind::GroupBox, .name = "gbIconsFolder", .parent = "TabSheet17",
     .bounds = {8, 8, 321, 273}, .caption = "Замена значка каталога:"},
    {.kind = Kind::Label, .name = "Label3", .parent = "gbIconsFolder", .bounds = {8, 16, 47, 13},
     .caption = "Каталог:"},
    {.kind = Kind::Edit, .name = "edtFolder", .parent = "gbIconsFolder", .bounds = {8, 32, 273, 21}},
    {.kind = Kind::SpeedButton, .name = "sbtnOpenFolder", .parent = "gbIconsFolder",
     .bounds = {280, 32, 25, 25}},
    {.kind = Kind::Label, .name = "Label4", .parent = "gbIconsFolder", .bounds = {8, 64, 55, 13},
     .caption = "Описание:"},
    {.kind = Kind::Memo, .name = "memInfoTipFolder", .parent = "gbIconsFolder",
     .bounds = {8, 80, 297, 65}, .enabled = false, .color = ui::colour::BtnFace},
    {.kind = Kind::Label, .name = "Label5", .parent = "gbIconsFolder", .bounds = {8, 152, 40, 13},
     .caption = "Значок:"},
    {.kind = Kind::Edit, .name = "edtIconFile", .parent = "gbIconsFolder",
     .bounds = {8, 168, 273, 21}, .enabled = false, .color = ui::colour::BtnFace},
    {.kind = Kind::SpeedButton, .name = "sbtnSelectIcon", .parent = "gbIconsFolder",
     .bounds = {280, 168, 25, 25}, .enabled = false},
    {.kind = Kind::Image, .name = "imgIconsView", .parent = "gbIconsFolder",
     .bounds = {24, 208, 32, 32}, .transparent = true, .autoSize = true},
    {.kind = Kind::Button, .name = "btnSetIcon", .parent = "gbIconsFolder",
     .bounds = {232, 208, 75, 22}, .caption = "Назначить", .enabled = false},
    {.kind = Kind::Button, .name = "btnDelIcon", .parent = "gbIconsFolder",
     .bounds = {232, 240, 75, 22}, .caption = "Убрать", .enabled = false},
    {.kind = Kind::Label,
     .name = "lbIconFolderChangeDescription",
     .parent = "TabSheet17",
     .bounds = {8, 288, 300, 39},
     .caption = "Если у Вас возникнет необходимость изменить значок, \r\n"
                "описание каталога, воспользуйтесь данной вкладкой \r\n"
                "программы."},
};

// An INI value is one line: line breaks in the tooltip would start new entries of the file.
std::string OneLine(std::string text) {
  std::string line;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      line += ' ';
    } else {
      line += text[i];
    }
  }
  return line;
}

}  // namespace

std::span<const ui::ControlSpec> IconFolderPageTable() { return kIconFolderPage; }

std::shared_ptr<IconFolderPage> BindIconFolderPage(Context& ctx) {
  auto page = std::make_shared<IconFolderPage>(ctx);
  ctx.Get("edtFolder").onChange = [page] { page->edtFolderChange(); };
  ctx.Get("edtIconFile").onChange = [page] { page->edtIconFileChange(); };
  ctx.Get("sbtnOpenFolder").onClick = [page] { page->sbtnOpenFolderClick(); };
  ctx.Get("sbtnSelectIcon").onClick = [page] { page->sbtnSelectIconClick(); };
  ctx.Get("btnSetIcon").onClick = [page] { page->btnSetIconClick(); };
  ctx.Get("btnDelIcon").onClick = [page] { page->btnDelIconClick(); };
  return page;
}

ProfileFile IconFolderPage::Profile() const { return ProfileFile(*ctx_.platform.profile, profilePath_); }

// The folder's "\Desktop.ini"; a root such as "C:\" has its backslash already.
std::string IconFolderPage::DesktopIni() const {
  const std::string folder = ctx_.Get("edtFolder").Text();
  const bool separated = !folder.empty() && folder.back() == '\\';
  return folder + (separated ? "Desktop.ini" : "\\Desktop.ini");
}

bool IconFolderPage::FileExists(const std::string& path) const {
  const std::uint32_t attributes = ctx_.platform.files->GetAttributes(path);
  return attributes != fileattr::Invalid && !(attributes & fileattr::Directory);
}

void IconFolderPage::ClearPicture() { ctx_.Get<ui::Image>("imgIconsView").SetPicture({}); }

void IconFolderPage::edtFolderChange() {
  if (ctx_.Get("edtFolder").Text().empty()) return;
  for (const char* name : {"memInfoTipFolder", "edtIconFile"}) {
    ctx_.Get(name).SetEnabled(true);
    ctx_.Get(name).SetColor(ui::colour::Window);
  }
  ctx_.Get("memInfoTipFolder").SetFocus();
  ctx_.Get("sbtnSelectIcon").SetEnabled(true);
}

void IconFolderPage::edtIconFileChange() {
  ctx_.Get("btnSetIcon").SetEnabled(!ctx_.Get("edtFolder").Text().empty() &&
                                    !ctx_.Get("edtIconFile").Text().empty());
}

void IconFolderPage::sbtnOpenFolderClick() {
  ui::Control& folder = ctx_.Get("edtFolder");
  std::string path;
  if (ctx_.platform.dialogs->BrowseFolder("Выберите каталог...", folder.Text(), path)) {
    folder.SetText(path.substr(0, MaxPath - 1));
    ctx_.Get("memInfoTipFolder").SetText("");
  }
  // Cancelled or not, the folder named in the edit is read again.
  if (!folder.Text().empty()) ReadDesktopIni();
}

void IconFolderPage::ReadDesktopIni() {
  ui::Control& memo = ctx_.Get("memInfoTipFolder");
  ui::Control& iconFile = ctx_.Get("edtIconFile");
  ui::Control& remove = ctx_.Get("btnDelIcon");
  const std::string ini = DesktopIni();
  if (!FileExists(ini)) {
    remove.SetEnabled(false);
    memo.SetText("");
    iconFile.SetText("");
    iconIndex_ = 0;
    ClearPicture();
    return;
  }
  profilePath_ = ini;
  ProfileFile profile = Profile();
  iconIndex_ = profile.ReadProfileNumber(kShellClassInfo, kIconIndex, iconIndex_);
  memo.SetText(profile.ReadProfileText(kShellClassInfo, kInfoTip, memo.Text()));
  iconFile.SetText(profile.ReadProfileText(kShellClassInfo, kIconFile, iconFile.Text()));
  if (profile.HasProfileKey(kShellClassInfo, kIconFile) &&
      profile.HasProfileKey(kShellClassInfo, kIconIndex)) {
    ctx_.Get<ui::Image>("imgIconsView")
        .SetPicture(ctx_.platform.library->ExtractIconPicture(iconFile.Text(), iconIndex_));
    remove.SetEnabled(true);
  } else {
    remove.SetEnabled(false);
    iconFile.SetText("");
    ClearPicture();
  }
}

void IconFolderPage::sbtnSelectIconClick() {
  const std::string current = ctx_.Get("edtIconFile").Text();
  std::string file = !current.empty() && FileExists(current)
                         ? current
                         : GetSystemDir(*ctx_.platform.system) + "\\shell32.dll";
  file.resize(std::min<std::size_t>(file.size(), MaxPath - 1));  // the dialog's 260-character buffer
  int index = iconIndex_;
  if (!ctx_.platform.dialogs->PickIcon(file, index) || index == -1) return;
  ctx_.Get<ui::Image>("imgIconsView").SetPicture(ctx_.platform.library->ExtractIconPicture(file, index));
  ctx_.Get("edtIconFile").SetText(file);
  iconIndex_ = index;
  ctx_.Get("btnSetIcon").SetEnabled(true);
}

void IconFolderPage::btnSetIconClick() {
  profilePath_ = DesktopIni();
  ProfileFile profile = Profile();
  profile.WriteProfileText(kShellClassInfo, kIconFile, ctx_.Get("edtIconFile").Text());
  profile.WriteProfileNumber(kShellClassInfo, kIconIndex, iconIndex_);
  profile.WriteProfileText(kShellClassInfo, kInfoTip, OneLine(ctx_.Get("memInfoTipFolder").Text()));
  profile.FlushProfiles();
  ctx_.platform.files->SetAttributes(ctx_.Get("edtFolder").Text(), fileattr::System);
  ctx_.Get("btnSetIcon").SetEnabled(false);
}

void IconFolderPage::btnDelIconClick() {
  const std::string ini = DesktopIni();
  if (FileExists(ini)) {
    profilePath_ = ini;
    ProfileFile profile = Profile();
    for (const char* key : {kIconFile, kIconIndex, kInfoTip}) profile.RemoveProfileKey(kShellClassInfo, key);
    if (!profile.HasProfileSection(kFolderViews))
      ctx_.platform.files->SetAttributes(ctx_.Get("edtFolder").Text(), 0);
    profile.FlushProfiles();
    iconIndex_ = 0;
  }
  ctx_.Get("memInfoTipFolder").SetText("");
  ctx_.Get("edtIconFile").SetText("");
  ClearPicture();
  ctx_.Get("btnDelIcon").SetEnabled(false);
}

}  // namespace vlx
